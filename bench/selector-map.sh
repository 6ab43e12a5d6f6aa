#!/usr/bin/env bash
# The recording area selector's time to cover a 3840 × 2160 screen, on a private Xvfb.
#   bench/selector-map.sh [build-dir]
set -euo pipefail
build_dir=${1:-build}
program="$build_dir/bench/SelectorMapBenchmark"
[ -x "$program" ] || { echo "no $program: build the SelectorMapBenchmark target first" >&2; exit 1; }
work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb "$program"
