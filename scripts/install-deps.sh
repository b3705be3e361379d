#!/usr/bin/env bash
# Installs every Debian package the station needs to build, test and run. Idempotent.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-qpa-plugins libgl-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  gstreamer1.0-plugins-ugly gstreamer1.0-plugins-bad gstreamer1.0-x
  xvfb xauth imagemagick x11-utils
  picocom ccache e2fsprogs util-linux
  qt6-translations-l10n librsvg2-bin ffmpeg poppler-utils
  mediainfo mkvtoolnix mpv
  dpkg-dev fakeroot desktop-file-utils appstream lintian devscripts
  locales
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The suite runs under a French desktop's locale as well as under C: numbers in files must not
# follow the desktop's language. Listed in locale.gen so that a later locale-gen keeps it.
if ! locale -a 2>/dev/null | grep -ix 'fr_FR\.utf-\?8' >/dev/null; then
  grep -qx 'fr_FR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'fr_FR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi
