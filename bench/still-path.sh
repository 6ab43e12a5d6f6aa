#!/usr/bin/env bash
# Runs the whole-still-path benchmark on a private Xvfb of each size (3840x2160 and 5120x2880 unless
# sizes are given), each stopped by its PID afterwards.
# usage: bench/still-path.sh [build folder] [WIDTHxHEIGHT...]   (default: build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(3840x2160 5120x2880)
displayfile=$(mktemp)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -f "$displayfile"' EXIT
for size in "${sizes[@]}"; do
  : >"$displayfile"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$displayfile" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
  done
  DISPLAY=":$(head -n1 "$displayfile")" QUILLET_BIN_DIR="$build/bin" "$build/bench/StillPathBenchmark"
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=
done
