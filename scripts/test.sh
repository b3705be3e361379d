#!/usr/bin/env bash
# Builds the station twice (plain, then with ASan+UBSan) and runs the whole suite on each build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
# A compiler cache makes a second run on the same machine mostly cache hits.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths relative to the clone, so another clone of the same tree hits the same entries.
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
export QT_QPA_PLATFORM=offscreen
for kind in plain asan; do
  dir="build/test-$kind"
  # Each build's suite in another locale, so every test runs under both at no extra cost: numbers
  # in files must read the same on a French desktop (decimal comma) as under C.
  if [ "$kind" = asan ]; then
    locale_name=C
    # -O1 with line tables only: readable sanitizer reports at a fraction of a full debug build's cost.
    flags=(-DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" -DWELLVUE_SANITIZE=ON -DWELLVUE_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  else
    locale_name=fr_FR.UTF-8
    # Optimised without debug information: the quickest full build on a 2-core machine.
    flags=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O1" -DWELLVUE_BENCH=OFF)
  fi
  cmake -S . -B "$dir" -G Ninja "${flags[@]}" "${launcher[@]}"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && LC_ALL="$locale_name" ctest --output-on-failure -j "$jobs" --timeout 300 -LE long)
  # The long tests write over a gigabyte; run them once, on the plain build, where the disk allows.
  if [ "$kind" = plain ]; then
    # The Debian package, from the plain build; CI also installs and removes it.
    scripts/check-package.sh "$dir" ${CI:+--install}
    free_kb=$(df -Pk "${TMPDIR:-/tmp}" | awk 'NR==2 {print $4}')
    if [ "${free_kb:-0}" -gt 4000000 ]; then
      (cd "$dir" && LC_ALL="$locale_name" ctest --output-on-failure --timeout 900 -L long)
    else
      echo "Skipping the long tests: under 4 GB free in ${TMPDIR:-/tmp}."
    fi
  fi
done
echo "All tests passed (plain and sanitizer builds)."
