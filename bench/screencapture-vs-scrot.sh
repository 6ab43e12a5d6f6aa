#!/usr/bin/env bash
# Whole-process time of `quillet-screencapture -R` for a full 3840x2160 screen against scrot on the
# same private Xvfb, in interleaved pairs; prints each pair and the median ratio (target <= 0.7).
#   bench/screencapture-vs-scrot.sh [build-dir]    (PAIRS=15 by default)
set -euo pipefail

build_dir=${1:-build}
tool="$build_dir/bin/quillet-screencapture"
pairs=${PAIRS:-15}
[ -x "$tool" ] || { echo "no $tool: build the quillet-screencapture target first" >&2; exit 1; }

# The baseline; the bootstrap installs it with the other test and benchmark programs.
command -v scrot >/dev/null || { echo "scrot is missing: run scripts/bootstrap.sh" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A private server; -displayfd picks a free display number.
Xvfb -displayfd 3 -screen 0 3840x2160x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"
unset XDG_SESSION_TYPE WAYLAND_DISPLAY

# Screen-like content: a patterned desktop and six windows full of text.
xsetroot -mod 7 7 -fg '#2b5797' -bg '#e8e8e8'
here=$(cd "$(dirname "$0")/.." && pwd)
texts=("$here"/tools/screencapture/*/*.cpp)
for i in 0 1 2 3 4 5; do
    xmessage -geometry "1150x1000+$((i % 3 * 1260 + 30))+$((i / 3 * 1060 + 40))" -bg '#fdfdfd' -fg '#202020' \
        -file "${texts[$((i % ${#texts[@]}))]}" >/dev/null 2>&1 &
    pids+=($!)
done
sleep 1

elapsed() { # command... -> seconds of wall time
    local start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    local end=$EPOCHREALTIME
    echo "$end - $start" | bc -l
}

ratios=()
for i in $(seq "$pairs"); do
    # Alternate who goes first so neither always meets a warmer server.
    if ((i % 2)); then
        ours=$(elapsed "$tool" -R 0,0,3840,2160 "$work/ours.png")
        theirs=$(elapsed scrot -o "$work/scrot.png")
    else
        theirs=$(elapsed scrot -o "$work/scrot.png")
        ours=$(elapsed "$tool" -R 0,0,3840,2160 "$work/ours.png")
    fi
    ratio=$(echo "$ours / $theirs" | bc -l)
    ratios+=("$ratio")
    printf 'pair %2d: quillet-screencapture %.3f s, scrot %.3f s, ratio %.2f\n' "$i" "$ours" "$theirs" "$ratio"
done
[ -s "$work/ours.png" ] || { echo "quillet-screencapture wrote no file" >&2; exit 1; }

median=$(printf '%s\n' "${ratios[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
printf 'sizes: quillet-screencapture %d bytes, scrot %d bytes\n' "$(stat -c %s "$work/ours.png")" "$(stat -c %s "$work/scrot.png")"
printf 'median ratio quillet-screencapture / scrot over %d pairs: %.2f (target <= 0.70)\n' "$pairs" "$median"
