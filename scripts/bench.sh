#!/usr/bin/env bash
# Runs every benchmark on a release build and prints its figures. Run it on a quiet machine:
# latency figures measure the scheduler as much as the station when other work competes.
# `scripts/bench.sh quick` shortens the long runs (20 s recordings instead of 60 s and 300 s, and
# the station's memory over a 5-minute recording instead of 30 minutes).
# `scripts/bench.sh memory [SECONDS]` runs only the station's memory benchmark.
set -uo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = memory ]; then scripts/build.sh station_memory_bench; else scripts/build.sh all; fi
B=build/release
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
rec=60; align=300; memory=1800
if [ "${1:-}" = quick ]; then rec=20; align=20; memory=300; fi
status=0
run() { echo; echo "== $*"; "$@" || { echo "-- target missed or failed (exit $?)"; status=1; }; }
# The station with its windows drawn, as on the inspection PC: under Xvfb when there is no display.
# Niced, so that the rest of the machine keeps its pace during the long run.
on_display() {
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    QT_QPA_PLATFORM=xcb nice -n 5 xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
  else
    nice -n 5 "$@"
  fi
}
memory_bench() { run on_display "$B/bench/memory/station_memory_bench" --seconds "$1" --link-window; }
if [ "${1:-}" = memory ]; then
  memory_bench "${2:-$memory}"
  exit $status
fi
run "$B/bench/encoder/wellvue_encoder_bench" --rate 5
run "$B/bench/encoder/wellvue_encoder_bench" --rate 50
run "$B/bench/subtitles/wellvue_srt_bench"
run "$B/bench/capture/wellvue_capture_first_frame_bench" 20
run "$B/bench/capture/wellvue_capture_cpu_bench" "$rec"
run "$B/bench/capture/wellvue_capture_snapshot_bench" 20
run "$B/bench/export/wellvue_export_bench" "$rec"
run "$B/bench/app/startup_bench" --test-source --runs 5
run "$B/bench/app_link/wellvue_link_window_bench" --seconds 20 --rate 50
run "$B/bench/review/review_open_bench" --runs 5
run "$B/bench/report/wellvue_report_bench" --runs 3
run "$B/bench/recording/recording_alignment_bench" --seconds "$align" --timing both --outliers
memory_bench "$memory"
exit $status
