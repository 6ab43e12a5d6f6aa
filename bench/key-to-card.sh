#!/usr/bin/env bash
# Black-box key benchmark: on a private Xvfb of each size (1920x1080 and 3840x2160 unless sizes are
# given) with screen-like content and trayer as the tray host, presses the program's shortcuts with
# xdotool and prints key -> card, key -> picker and key -> complete WebP against their baselines.
# usage: bench/key-to-card.sh [build folder] [WIDTHxHEIGHT...]   (default: build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1920x1080 3840x2160)
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
texts=("$here"/tools/screencapture/*/*.cpp)
for size in "${sizes[@]}"; do
  width=${size%x*}
  height=${size#*x}
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  pids=("$xvfb")
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$work/display")"
  unset XDG_SESSION_TYPE WAYLAND_DISPLAY
  xsetroot -mod 7 7 -fg '#2b5797' -bg '#e8e8e8'
  for i in 0 1 2 3 4 5; do
    xmessage -geometry "$((width * 3 / 10))x$((height * 46 / 100))+$((i % 3 * width / 3 + 30))+$((i / 3 * height / 2 + 40))" \
      -bg '#fdfdfd' -fg '#202020' -file "${texts[$((i % ${#texts[@]}))]}" >/dev/null 2>&1 &
    pids+=($!)
  done
  trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
  pids+=($!)
  sleep 1
  echo "== ${size}"
  QUILLET_BIN_DIR="$build/bin" "$build/bench/KeyToCardBenchmark"
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
done
