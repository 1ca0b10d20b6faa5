#!/usr/bin/env bash
# Figures for the window: builds Release (window, lists, reader and the
# command-line tool), then runs build-release-gui/bench/window_throughput, which
# prints per deck count the window's run time, the time per file and per
# results row, the command-line tool's time over the same files (-j 1) and
# the ratio of the two; then the folder scan and the drop of 20,000 files,
# and the peak memory.
#
#   bench/run_window_throughput.sh [N...]     (default 250 500 1000 2000)
# Build folder: $ORVANDEL_BENCH_GUI_BUILD_DIR or build-release-gui.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANDEL_BENCH_GUI_BUILD_DIR:-$root/build-release-gui}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANDEL_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" --parallel 2 --target window_throughput orvandel-cli >/dev/null
export TZ="${TZ:-:/etc/localtime}"
"$build/bench/window_throughput" "$@"
