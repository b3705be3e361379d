#!/usr/bin/env bash
# Builds the station twice (plain, then with ASan+UBSan) and runs the whole suite on each build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
for kind in release asan; do
  dir="build/$kind"
  if [ "$kind" = asan ]; then
    flags=(-DCMAKE_BUILD_TYPE=Debug -DWELLVUE_SANITIZE=ON -DWELLVUE_BENCH=OFF)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  else
    flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
  fi
  cmake -S . -B "$dir" -G Ninja "${flags[@]}"
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
done
echo "All tests passed (plain and sanitizer builds)."
