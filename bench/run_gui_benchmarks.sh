#!/usr/bin/env bash
# The main window's benchmarks on a private Xvfb display with openbox as
# window manager: start-up against the least Qt Widgets program, resident
# memory and idle CPU (bench_startup), then the month switch
# (bench_monthswitch).
#
#   bench/run_gui_benchmarks.sh [build folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
runs=${2:-5}
for p in bin/vorncalendar bench/bench_floorwindow bench/bench_startup bench/bench_monthswitch; do
  [ -x "$build/$p" ] || { echo "build $build/$p first" >&2; exit 1; }
done

if [ -z "${VORN_BENCH_DISPLAY:-}" ]; then
  export VORN_BENCH_DISPLAY=1
  exec xvfb-run -a -s '-screen 0 1920x1080x24' "$0" "$build" "$runs"
fi

openbox >/dev/null 2>&1 &
wm=$!
trap 'kill "$wm" 2>/dev/null || true' EXIT
sleep 1

echo "== start-up, memory and idle CPU =="
"$build/bench/bench_startup" "$build/bin/vorncalendar" "$build/bench/bench_floorwindow" "$runs"
echo
echo "== month switch =="
"$build/bench/bench_monthswitch" 2>/dev/null
