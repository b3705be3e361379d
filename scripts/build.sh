#!/usr/bin/env bash
# Builds the station (release) into build/release: by default the station and its manual only;
# name targets to build others (`scripts/build.sh all` for everything, with tools and benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then targets=(wellvue wellvue_manual); fi
cmake --build build/release -j "$(nproc)" --target "${targets[@]}"
