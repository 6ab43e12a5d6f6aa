#!/usr/bin/env bash
# A headless Wayland desktop for tests, as root and without a GPU: mutter with one virtual 1280x720
# monitor, PipeWire and its session manager, and the desktop portal with the GNOME back-end only, on a
# private session bus, with a private runtime folder and home. Runs COMMAND inside it, then ends every
# process it started. Every wait has a limit.
#
#   rig.sh COMMAND [ARGUMENT...]
#
# The command sees WAYLAND_DISPLAY, XDG_SESSION_TYPE=wayland, XDG_CURRENT_DESKTOP=GNOME,
# QT_QPA_PLATFORM=wayland, the session bus, and RIG_LOGS (the desktop's own logs). Exit status: the
# command's; 77 when a program the desktop needs is missing (a test skips then); 1 when the desktop did
# not come up (its logs are printed); 124 when the command outlived RIG_COMMAND_LIMIT seconds.
set -euo pipefail

readonly display_name=quillet-rig
readonly start_limit_tenths=200       # 20 s for each part of the desktop to come up
readonly stop_limit_tenths=50         # 5 s for everything to end before it is killed
readonly command_limit=${RIG_COMMAND_LIMIT:-120}
readonly portal=/usr/libexec/xdg-desktop-portal
readonly portal_backend=/usr/libexec/xdg-desktop-portal-gnome
readonly portal_file=/usr/share/xdg-desktop-portal/portals/gnome.portal

# Polls `condition` every tenth of a second, at most `tenths` times.
wait_until() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        if "$@"; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

show_logs() {
    for log in "$RIG_LOGS"/*.log; do
        echo "---- $(basename "$log")"
        tail -n 20 "$log"
    done >&2
}

portal_offers_screen_cast() {
    gdbus introspect --session --dest org.freedesktop.portal.Desktop \
        --object-path /org/freedesktop/portal/desktop 2>/dev/null | grep -q 'org.freedesktop.portal.ScreenCast'
}

mutter_offers_remote_desktop() {
    gdbus introspect --session --dest org.gnome.Mutter.RemoteDesktop \
        --object-path /org/gnome/Mutter/RemoteDesktop 2>/dev/null | grep -q 'CreateSession'
}

# Inside the private session bus: the desktop's parts, then the command.
inside() {
    pipewire >"$RIG_LOGS/pipewire.log" 2>&1 &
    wireplumber >"$RIG_LOGS/wireplumber.log" 2>&1 &
    mutter --headless --wayland --no-x11 --virtual-monitor 1280x720 --wayland-display "$display_name" \
        >"$RIG_LOGS/mutter.log" 2>&1 &
    if ! wait_until $start_limit_tenths test -S "$XDG_RUNTIME_DIR/$display_name" ||
        ! wait_until $start_limit_tenths mutter_offers_remote_desktop; then
        echo "rig: mutter did not start" >&2
        show_logs
        return 1
    fi
    if ! wait_until $start_limit_tenths test -S "$XDG_RUNTIME_DIR/pipewire-0"; then
        echo "rig: pipewire did not start" >&2
        show_logs
        return 1
    fi
    "$portal" >"$RIG_LOGS/portal.log" 2>&1 &
    if ! wait_until $start_limit_tenths portal_offers_screen_cast; then
        echo "rig: the desktop portal offers no screen cast" >&2
        show_logs
        return 1
    fi
    # Content that changes, as on a real desktop.
    weston-simple-shm >"$RIG_LOGS/content.log" 2>&1 &
    local status=0
    timeout --foreground --kill-after=5 "$command_limit" "$@" || status=$?
    return $status
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit $?
fi

if [ $# -eq 0 ]; then
    echo "usage: rig.sh COMMAND [ARGUMENT...]" >&2
    exit 2
fi

missing=()
for program in dbus-run-session gdbus setsid mutter pipewire wireplumber weston-simple-shm "$portal" \
    "$portal_backend"; do
    command -v "$program" >/dev/null 2>&1 || missing+=("$program")
done
[ -f "$portal_file" ] || missing+=("$portal_file")
if [ ${#missing[@]} -gt 0 ]; then
    echo "rig: no headless Wayland desktop here, missing: ${missing[*]} (bash scripts/bootstrap.sh installs them)" >&2
    exit 77
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/quillet-rig.XXXXXX")
mkdir -m 0700 "$root/runtime" "$root/home"
mkdir "$root/portals" "$root/logs"
# Only the GNOME back-end: this portal version has no configuration file and would otherwise pick
# among every installed back-end by desktop name.
cp "$portal_file" "$root/portals/"

group=
finish() {
    local status=$?
    if [ -n "$group" ] && kill -0 -- "-$group" 2>/dev/null; then
        kill -TERM -- "-$group" 2>/dev/null || true
        wait_until $stop_limit_tenths eval "! kill -0 -- -$group 2>/dev/null" ||
            kill -KILL -- "-$group" 2>/dev/null || true
    fi
    rm -rf "$root"
    exit $status
}
trap finish EXIT
trap 'exit 130' INT TERM

# Its own process group, so that every part of the desktop, also those the bus starts on demand, ends
# with it.
env -i PATH="$PATH" LANG=C.UTF-8 TERM="${TERM:-dumb}" \
    HOME="$root/home" XDG_RUNTIME_DIR="$root/runtime" XDG_CONFIG_HOME="$root/home/.config" \
    XDG_DATA_HOME="$root/home/.local/share" XDG_CACHE_HOME="$root/home/.cache" \
    XDG_DESKTOP_PORTAL_DIR="$root/portals" XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland \
    WAYLAND_DISPLAY="$display_name" QT_QPA_PLATFORM=wayland RIG_LOGS="$root/logs" \
    ${QUILLET_SOURCE_DIR:+QUILLET_SOURCE_DIR="$QUILLET_SOURCE_DIR"} \
    ${QUILLET_BIN_DIR:+QUILLET_BIN_DIR="$QUILLET_BIN_DIR"} \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
    ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    setsid dbus-run-session -- bash "$0" --inside "$@" &
group=$!
status=0
wait $group || status=$?
exit $status
