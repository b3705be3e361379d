#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60).
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   targets: burst time_code time_line avi
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
secs=${1:-60}; shift || true
B=build/fuzz
cmake -S . -B $B -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DWELLVUE_FUZZ=ON -DWELLVUE_APP=OFF -DWELLVUE_BENCH=OFF >/dev/null
targets=("${@:-burst time_code time_line avi}")
read -r -a targets <<<"${targets[*]}"
for t in "${targets[@]}"; do
  case "$t" in
    burst)     exe=$B/fuzz/encoder/wellvue_fuzz_encoder_burst; opts=(-max_len=8192) ;;
    time_code) exe=$B/fuzz/subtitles/fuzz_time_code; opts=(-max_len=64) ;;
    time_line) exe=$B/fuzz/subtitles/fuzz_time_line; opts=(-max_len=96) ;;
    avi)       exe=$B/fuzz/avi/fuzz_avi; opts=(-max_len=40000) ;;
    *) echo "unknown target $t"; exit 2 ;;
  esac
  cmake --build $B -j "$(nproc)" --target "$(basename "$exe")"
  corpus=$B/corpus/$t; mkdir -p "$corpus"
  echo "== $t for $secs s"
  "$exe" -max_total_time="$secs" "${opts[@]}" "$corpus"
done
