#!/usr/bin/env bash
# Takes the manual's pictures of the real windows (the demo station under Xvfb) into
# docs/manual/images; the build then turns docs/manual/manuel.md into "Manuel Wellvue.pdf".
# Run after a change that alters a window, and commit the pictures with it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh wellvue-manual-shots
out=docs/manual/images
mkdir -p "$out"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1920x1080x24" build/release/docs/manual/shots/wellvue-manual-shots "$out"
