#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it: menu entry and AppStream file
# validate, lintian finds no error or warning, every program answers --version with the package's
# version, the binaries are hardened (when the build is), and the station starts from the
# unpacked package with its manual beside it. With --install (CI does it) it also installs the
# package with apt-get, starts the station as its menu entry says, and removes the package again.
#   scripts/check-package.sh BUILD_DIR [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:?usage: scripts/check-package.sh BUILD_DIR [--install]}
rm -f "$dir"/wellvue_*.deb  # one of another version would be taken for this one
cmake --build "$dir" --target package >/dev/null
deb=$(ls "$dir"/wellvue_*.deb)
echo "package: $deb"
desktop-file-validate packaging/fr.wellvue.Wellvue.desktop
appstreamcli validate --no-net "$dir/packaging/fr.wellvue.Wellvue.metainfo.xml"
lintian --fail-on error,warning "$deb"

# A station that starts and keeps running until stopped: exit 124 from timeout.
starts() {
  local status=0
  QT_QPA_PLATFORM=offscreen timeout 8 "$@" >/dev/null 2>&1 || status=$?
  if [ "$status" -ne 124 ]; then echo "the station did not keep running: $* (exit $status)"; return 1; fi
}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
test -f "$root/usr/lib/wellvue/Manuel Wellvue.pdf"
test -f "$root/usr/lib/wellvue/wellvue.help"
scripts/check-package-programs.sh "$deb" "$root" "$dir"
HOME="$root/home" starts "$root/usr/bin/wellvue" --demo
echo "unpacked package: the station starts, its manual beside it"

if [ "${2:-}" = --install ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq "$(realpath "$deb")" >/dev/null
  exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/fr.wellvue.Wellvue.desktop)
  mkdir -p "$root/user"
  HOME="$root/user" XDG_CONFIG_HOME="$root/user/.config" starts $exec_line
  # Nothing is written beside the installed executable: the settings are the user's.
  extra=$(find /usr/lib/wellvue -mindepth 1 ! -name wellvue ! -name wellvue.help ! -name 'Manuel Wellvue.pdf')
  if [ -n "$extra" ]; then echo "written beside the installed station: $extra"; exit 1; fi
  apt-get remove -y -qq wellvue >/dev/null
  echo "installed package: the menu entry starts the station"
fi
