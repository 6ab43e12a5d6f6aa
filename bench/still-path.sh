#!/usr/bin/env bash
# Runs the whole-still-path benchmark on a private 3840x2160 Xvfb, stopped by its PID afterwards.
# usage: bench/still-path.sh [build folder]   (default: build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$displayfile"' EXIT
for _ in $(seq 100); do
  [ -s "$displayfile" ] && break
  sleep 0.1
done
DISPLAY=":$(head -n1 "$displayfile")" QUILLET_BIN_DIR="$build/bin" "$build/bench/StillPathBenchmark"
