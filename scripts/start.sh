#!/usr/bin/env bash
# Starts the station. Without a camera it runs the demo: a test-pattern camera and a simulated
# encoder board on a pseudo-terminal. `scripts/start.sh --real` starts the real station.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
bin=build/release/src/app/program/wellvue
args=("$@")
if [ "${1:-}" = "--real" ]; then
  args=("${@:2}")
elif ! ls /dev/video* >/dev/null 2>&1; then
  echo "No camera found: starting the demo (test pattern and simulated encoder board)."
  args=(--demo "$@")
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running on a virtual X server (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1400x900x24" "$bin" "${args[@]}"
fi
exec "$bin" "${args[@]}"
