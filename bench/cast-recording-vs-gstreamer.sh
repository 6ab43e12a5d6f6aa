#!/usr/bin/env bash
# Recording a screen cast (-v --pipewire-fd) against GStreamer's `pipewiresrc ! videoconvert ! x264enc
# speed-preset=ultrafast ! mp4mux`, what screen recorders on Wayland use, on the same headless GNOME
# desktop (tests/wayland/rig.sh, one 1920x1080 monitor) in one run, while a video player repaints the
# whole monitor. Each gets its own cast of the monitor through tests/wayland/CastRun. Prints, for
# both, the distinct frames in the movie (ffmpeg's mpdecimate), the frames and their rate, CPU
# seconds per recorded second and the time from SIGINT to a complete file, with our ratio to
# GStreamer's; and what the compositor sent: GStreamer's movie keeps every picture at its own time.
#   bench/cast-recording-vs-gstreamer.sh [build-dir]     (SECONDS_CAST=30 by default)
set -euo pipefail

if [ "${1:-}" = --inside ]; then
    build_dir=$2 work=$3 seconds=$4
    # Content that changes every frame, over the whole monitor.
    SDL_VIDEODRIVER=wayland SDL_AUDIODRIVER=dummy ffplay -loglevel quiet -nostats -an -fs -f lavfi \
        -i "testsrc2=size=1920x1080:rate=30" >/dev/null 2>&1 &
    player=$!
    sleep 3
    "$build_dir/tests/CastRun" "$seconds" "$build_dir/bin/quillet-screencapture" -v -x --pipewire-fd 3 \
        --pipewire-node '{id}' "$work/ours.mov" >"$work/ours.run" 2>"$work/ours.err"
    "$build_dir/tests/CastRun" "$seconds" gst-launch-1.0 -q -e pipewiresrc fd=3 path='{id}' ! videoconvert ! \
        x264enc speed-preset=ultrafast ! mp4mux ! filesink location="$work/gstreamer.mp4" \
        >"$work/gstreamer.run" 2>"$work/gstreamer.err"
    kill "$player"
    exit 0
fi

build_dir=$(realpath "${1:-build}")
seconds=${SECONDS_CAST:-30}
for program in "$build_dir/bin/quillet-screencapture" "$build_dir/tests/CastRun"; do
    [ -x "$program" ] || { echo "no $program: build quillet-screencapture and CastRun first" >&2; exit 1; }
done
for program in ffplay ffprobe gst-launch-1.0 bc; do
    command -v "$program" >/dev/null || { echo "$program is missing (run scripts/bootstrap.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'load average before: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
RIG_MONITORS=1920x1080 RIG_COMMAND_LIMIT=$((seconds * 2 + 120)) \
    "$(dirname "$0")/../tests/wayland/rig.sh" bash "$(realpath "$0")" --inside "$build_dir" "$work" "$seconds" \
    >"$work/rig.log" 2>&1 || { tail -n 20 "$work/rig.log" >&2; exit 1; }
printf 'load average after: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"

frames() { ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames -of csv=p=0 "$1"; }
distinct() {
    ffprobe -v error -f lavfi -i "movie=$1,mpdecimate" -count_frames -show_entries stream=nb_read_frames -of csv=p=0
}
duration() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }
rate() { ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 "$1"; }
field() { awk -v name="$2" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }' "$work/$1.run"; }
ratio() { echo "$1 / $2" | bc -l; }

declare -A figure
for name in ours gstreamer; do
    movie=$work/$name.mov
    [ "$name" = gstreamer ] && movie=$work/gstreamer.mp4
    [ -s "$movie" ] || { echo "$name left no movie: $(cat "$work/$name.err")" >&2; exit 1; }
    figure[$name.distinct]=$(distinct "$movie")
    figure[$name.frames]=$(frames "$movie")
    figure[$name.duration]=$(duration "$movie")
    figure[$name.rate]=$(rate "$movie")
    figure[$name.cpu]=$(echo "$(field "$name" cpu) / ${figure[$name.duration]}" | bc -l)
    figure[$name.stop]=$(field "$name" stop)
done
sent=$(echo "${figure[gstreamer.frames]} / ${figure[gstreamer.duration]}" | bc -l)
replaced=$(grep -o '[0-9]* of [0-9]* pictures of the screen cast were replaced' "$work/ours.err" | cut -d' ' -f1-3 || true)

printf '1920x1080 cast, %d s each (ours first):\n' "$seconds"
printf '  compositor sent       %6.2f pictures a second to GStreamer; to ours, %s replaced before a frame\n' \
    "$sent" "${replaced:-none}"
printf '  distinct frames       ours %6d         gstreamer %6d         ratio %.3f\n' \
    "${figure[ours.distinct]}" "${figure[gstreamer.distinct]}" \
    "$(ratio "${figure[ours.distinct]}" "${figure[gstreamer.distinct]}")"
printf '  frames (rate)         ours %6d (%s)   gstreamer %6d (%s, variable)\n' "${figure[ours.frames]}" \
    "${figure[ours.rate]}" "${figure[gstreamer.frames]}" "${figure[gstreamer.rate]}"
printf '  movie length          ours %6.2f s       gstreamer %6.2f s\n' "${figure[ours.duration]}" \
    "${figure[gstreamer.duration]}"
printf '  CPU per second        ours %6.3f s      gstreamer %6.3f s      ratio %.3f\n' "${figure[ours.cpu]}" \
    "${figure[gstreamer.cpu]}" "$(ratio "${figure[ours.cpu]}" "${figure[gstreamer.cpu]}")"
printf '  SIGINT to exit        ours %6.3f s      gstreamer %6.3f s      ratio %.3f\n' "${figure[ours.stop]}" \
    "${figure[gstreamer.stop]}" "$(ratio "${figure[ours.stop]}" "${figure[gstreamer.stop]}")"
