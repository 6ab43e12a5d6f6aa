#!/usr/bin/env bash
# Recording (-v) against `ffmpeg -f x11grab` with the same encoder settings (libx264 ultrafast, crf 20,
# yuv420p, a key frame a second, fragmented QuickTime) on the same private Xvfb, in one run, while a
# video player repaints the whole screen every frame. For each size it prints the delivered frame
# rate, the frames we dropped, CPU seconds per recorded second, and the time from SIGINT to a
# complete file, each with its ratio to ffmpeg's.
#   bench/recording-vs-ffmpeg.sh [build-dir]     (SECONDS_1080=20 SECONDS_2160=10 by default)
set -euo pipefail

build_dir=${1:-build}
tool="$build_dir/bin/quillet-screencapture"
[ -x "$tool" ] || { echo "no $tool: build the quillet-screencapture target first" >&2; exit 1; }
for program in Xvfb ffmpeg ffprobe ffplay /usr/bin/time bc; do
    command -v "$program" >/dev/null || { echo "$program is missing (run scripts/bootstrap.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

start_server() { # WxH
    Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
    server=$!
    pids+=("$server")
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$work/display")"
    # Content that changes every frame, over the whole screen.
    SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ffplay -loglevel quiet -nostats -an -noborder -left 0 -top 0 \
        -x "${1%x*}" -y "${1#*x}" -f lavfi -i "testsrc2=size=$1:rate=30" >/dev/null 2>&1 &
    player=$!
    pids+=("$player")
    sleep 2
}

stop_server() {
    kill "$player" "$server" 2>/dev/null || true
    wait "$player" "$server" 2>/dev/null || true
    rm -f "$work/display"
}

# record NAME SECONDS command... : runs the recorder under time(1), interrupts it after SECONDS, and
# leaves "$work/NAME.mov", "$work/NAME.cpu" (user+sys seconds), "$work/NAME.stop" (seconds from
# SIGINT to exit) and "$work/NAME.err".
record() {
    local name=$1 seconds=$2
    shift 2
    rm -f "$work/$name.mov"
    /usr/bin/time -f '%U %S' -o "$work/$name.time" "$@" "$work/$name.mov" 2>"$work/$name.err" &
    local timer=$!
    sleep 0.2
    local child
    child=$(pgrep -P "$timer" | head -n1)
    sleep "$seconds"
    local before=$EPOCHREALTIME
    kill -INT "$child"
    wait "$timer" || true
    local after=$EPOCHREALTIME
    echo "$after - $before" | bc -l >"$work/$name.stop"
    # time(1) puts a line before the figures when the program's exit status is not 0 (ffmpeg's 255).
    tail -n1 "$work/$name.time" | awk '{ print $1 + $2 }' >"$work/$name.cpu"
}

frame_rate() { # movie -> frames per second of movie time
    local frames duration
    frames=$(ffprobe -v error -select_streams v -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$1")
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$1")
    echo "$frames / $duration" | bc -l
}

ratio() { echo "$1 / $2" | bc -l; }

measure() { # WxH SECONDS
    local size=$1 seconds=$2
    start_server "$size"
    record ours "$seconds" "$tool" -v -x -R "0,0,${size%x*},${size#*x}"
    record ffmpeg "$seconds" ffmpeg -nostdin -hide_banner -loglevel error -y -f x11grab -framerate 30 \
        -draw_mouse 0 -video_size "$size" -i "$DISPLAY+0,0" -c:v libx264 -preset ultrafast -crf 20 \
        -pix_fmt yuv420p -g 30 -fps_mode passthrough -movflags +frag_keyframe+empty_moov -flush_packets 1
    stop_server
    local our_fps their_fps our_cpu their_cpu our_stop their_stop dropped
    our_fps=$(frame_rate "$work/ours.mov")
    their_fps=$(frame_rate "$work/ffmpeg.mov")
    our_cpu=$(echo "$(cat "$work/ours.cpu") / $seconds" | bc -l)
    their_cpu=$(echo "$(cat "$work/ffmpeg.cpu") / $seconds" | bc -l)
    our_stop=$(cat "$work/ours.stop")
    their_stop=$(cat "$work/ffmpeg.stop")
    # No such line when no frame was lost: not a failure of the benchmark.
    dropped=$(grep -o '^quillet-screencapture: [0-9]* of [0-9]* frames lost' "$work/ours.err" | awk '{ print $2 " of " $4 }' || true)
    printf '%s, %d s:\n' "$size" "$seconds"
    printf '  delivered frame rate  ours %6.2f fps   ffmpeg %6.2f fps   ratio %.3f\n' \
        "$our_fps" "$their_fps" "$(ratio "$our_fps" "$their_fps")"
    if [ -n "$dropped" ]; then
        printf "  frames lost           ours %s (%s)\n" "$dropped" "$(grep 'frames lost' "$work/ours.err" | cut -d"(" -f2 | tr -d ")")"
    else
        printf "  frames lost           ours 0\n"
    fi
    printf '  CPU per second        ours %6.3f s     ffmpeg %6.3f s     ratio %.3f\n' \
        "$our_cpu" "$their_cpu" "$(ratio "$our_cpu" "$their_cpu")"
    printf '  SIGINT to exit        ours %6.3f s     ffmpeg %6.3f s     ratio %.3f\n' \
        "$our_stop" "$their_stop" "$(ratio "$our_stop" "$their_stop")"
}

printf 'load average before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
measure 1920x1080 "${SECONDS_1080:-20}"
measure 3840x2160 "${SECONDS_2160:-10}"
printf 'load average after: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
