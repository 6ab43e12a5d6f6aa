#!/usr/bin/env bash
# The tray program as a user starts it, on a private Xvfb with trayer as the tray host:
#  - start to tray icon shown (panel not built), against start to panel window shown (panel built,
#    no tray host), median of 5 each;
#  - click on the icon to panel mapped, median of 5;
#  - CPU used while idle with the panel closed, over IDLE seconds (default 60), from /proc/PID/stat.
# usage: bench/tray.sh [build folder] [idle seconds]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
idle=${2:-60}
work=$(mktemp -d)
displayfile="$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfile")"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
window_line() { xwininfo -root -tree 2>/dev/null | grep -E "$1" || true; }

# Starts quillet with a fresh home and prints the milliseconds until `pattern` shows in the window tree.
start_until() {
  local pattern=$1 home
  home=$(mktemp -d "$work/home.XXXX")
  local start; start=$(now)
  HOME="$home" XDG_CONFIG_HOME="$home/.config" "$build/bin/quillet" >/dev/null 2>&1 &
  local pid=$!
  until [ -n "$(window_line "$pattern")" ]; do sleep 0.005; done
  local end; end=$(now)
  echo $(( (end - start) / 1000000 )) "$pid"
}

panel_pattern='"Quillet": \("quillet" "quillet"\)  3[0-9][0-9]x'
icon_pattern='"quillet": \("quillet" "quillet"\)  2[0-9]x2[0-9]'

window_times=()
for _ in 1 2 3 4 5; do
  read -r ms pid < <(start_until "$panel_pattern")
  window_times+=("$ms"); kill "$pid"; wait "$pid" 2>/dev/null || true
done

trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
icon_times=()
open_times=()
for run in 1 2 3 4 5; do
  read -r ms pid < <(start_until "$icon_pattern")
  icon_times+=("$ms")
  sleep 0.5
  geometry=$(window_line "$icon_pattern" | grep -oE '\+[0-9]+\+[0-9]+$' | tr '+' ' ')
  read -r x y <<<"$geometry"
  start=$(now)
  xdotool mousemove $((x + 11)) $((y + 11)) click 1
  id=""
  until [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; do
    id=$(window_line '"Quillet": \(' | awk '{print $1}' | head -n1); sleep 0.002
  done
  open_times+=($(( ($(now) - start) / 1000000 )))
  if [ "$run" -lt 5 ]; then kill "$pid"; wait "$pid" 2>/dev/null || true; fi
done
xdotool mousemove 100 100 click 1
sleep 1

ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
before=$(cpu)
sleep "$idle"
after=$(cpu)
kill "$pid"

icon=$(printf '%s\n' "${icon_times[@]}" | median)
window=$(printf '%s\n' "${window_times[@]}" | median)
open=$(printf '%s\n' "${open_times[@]}" | median)
echo "start to tray icon (panel not built):   ${icon} ms (median of 5)"
echo "start to panel window (panel built):    ${window} ms"
awk -v a="$window" -v b="$icon" 'BEGIN {printf "ratio panel built / not built:          %.2f\n", a / b}'
echo "click on icon to panel mapped:          ${open} ms (median of 5)"
awk -v t=$((after - before)) -v hz="$ticks" -v s="$idle" \
  'BEGIN {printf "idle CPU with the panel closed:         %.3f %% over %d s (%d ticks)\n", 100 * t / hz / s, s, t}'
