#!/usr/bin/env bash
# The programs of an unpacked Debian package: each in /usr/bin answers --version with its name and
# the package's version (also the AppStream release's) and has its manual page; with the build's
# hardening on, hardening-check passes on every binary.
#   scripts/check-package-programs.sh DEB ROOT BUILD_DIR
set -euo pipefail
deb=$1 root=$2 dir=$3
version=$(dpkg-deb -f "$deb" Version)
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/fr.wellvue.Wellvue.metainfo.xml" ||
  { echo "the AppStream file has no release $version"; exit 1; }
for program in "$root"/usr/bin/*; do
  name=$(basename "$program")
  answer=$("$program" --version)
  if [ "$answer" != "$name $version" ]; then echo "$name --version: '$answer', not '$name $version'"; exit 1; fi
  test -f "$root/usr/share/man/man1/$name.1.gz" || { echo "no manual page for $name"; exit 1; }
done
echo "programs: each answers --version with $version and has its manual page"
# Debian 12's hardening flags: control flow protection is not among them.
if grep -q '^WELLVUE_HARDENING:BOOL=ON$' "$dir/CMakeCache.txt"; then
  hardening-check --quiet --nocfprotection "$root/usr/lib/wellvue/wellvue" $(find "$root/usr/bin" -type f)
  echo "binaries hardened: PIE, stack protector, fortify, relro, bindnow"
fi
