#!/usr/bin/env bash
# A headless Wayland desktop for tests, without a GPU: one 1280x720 monitor, PipeWire and its session
# manager, and the desktop portal with this desktop's back-ends only, on a private session bus, with a
# private runtime folder and home. Runs COMMAND inside it, then ends every process it started. Every
# wait has a limit. RIG_DESKTOP picks the desktop:
#   gnome (default)  mutter, the GNOME portal back-end; as root. RIG_MONITORS=WxH,WxH… gives mutter
#                    those monitors instead, left to right.
#                    RIG_CONTENT=none leaves out the animated client, so the screen stays still.
#                    RIG_X11=1 starts mutter's XWayland too; the command then sees its DISPLAY and
#                    XAUTHORITY.
#   kde              KWin's virtual back-end (from a plain copy: this machine forbids file
#                    capabilities), the KDE back-end and its Qt 5 dialogs; as root.
#   sway             sway's headless back-end, the wlroots back-end, and the GTK back-end for the
#                    portal's Access interface, without which the portal hides its Screenshot; sway
#                    alone runs as uid 65534, since it refuses to run as root; the rest as root.
#
#   [RIG_DESKTOP=gnome|kde|sway] rig.sh COMMAND [ARGUMENT...]
#
# The command sees WAYLAND_DISPLAY, XDG_SESSION_TYPE=wayland, XDG_CURRENT_DESKTOP, RIG_DESKTOP,
# QT_QPA_PLATFORM=wayland, the session bus, RIG_LOGS (the desktop's own logs) and, under sway, SWAYSOCK.
# Exit status: the command's; 77 when a program the desktop needs is missing (a test skips then); 1 when
# the desktop did not come up (its logs are printed); 124 when the command outlived RIG_COMMAND_LIMIT
# seconds.
set -euo pipefail

readonly display_name=quillet-rig
readonly start_limit_tenths=200       # 20 s for each part of the desktop to come up
readonly stop_limit_tenths=50         # 5 s for everything to end before it is killed
readonly command_limit=${RIG_COMMAND_LIMIT:-120}
readonly portal=/usr/libexec/xdg-desktop-portal
readonly portals=/usr/share/xdg-desktop-portal/portals
readonly desktop=${RIG_DESKTOP:-gnome}
readonly monitor_sizes=${RIG_MONITORS:-1280x720}
readonly unprivileged=65534
case $desktop in
gnome)
    readonly current_desktop=GNOME portal_files=(gnome.portal)
    readonly needed=(mutter weston-simple-shm /usr/libexec/xdg-desktop-portal-gnome)
    ;;
kde)
    readonly current_desktop=KDE portal_files=(kde.portal)
    readonly qt5=/usr/lib/x86_64-linux-gnu/qt5
    # Without the Wayland platform plugin the back-end dies; without the QML modules its dialogs
    # fail and every question comes back cancelled.
    readonly needed=(kwin_wayland /usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
        $qt5/plugins/platforms/libqwayland-generic.so $qt5/qml/org/kde/kirigami.2 $qt5/qml/QtQuick/Controls.2
        $qt5/qml/org/kde/pipewire)
    ;;
sway)
    readonly current_desktop=sway portal_files=(wlr.portal gtk.portal)
    readonly needed=(sway swaybg setpriv /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk)
    # The wlroots back-end takes every screenshot by running grim: without it each one is refused.
    readonly portal_runs=(grim)
    ;;
*)
    echo "rig: RIG_DESKTOP is gnome, kde or sway, not $desktop" >&2
    exit 2
    ;;
esac

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

# Asked without starting it: a second copy started by the bus would race the first for the name, and
# the loser's start stalls the bus's answer for its 25 s activation limit.
owns_name() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

# WirePlumber's default metadata comes once it has loaded its policy.
session_manager_runs() {
    timeout 5 pw-metadata -n default 2>/dev/null | grep -q Found
}

portal_offers_screen_cast() {
    gdbus introspect --session --dest org.freedesktop.portal.Desktop \
        --object-path /org/freedesktop/portal/desktop 2>/dev/null | grep -q 'org.freedesktop.portal.ScreenCast'
}

mutter_offers_remote_desktop() {
    gdbus introspect --session --dest org.gnome.Mutter.RemoteDesktop \
        --object-path /org/gnome/Mutter/RemoteDesktop 2>/dev/null | grep -q 'CreateSession'
}

kwin_answers() {
    gdbus introspect --session --dest org.kde.KWin --object-path /KWin 2>/dev/null | grep -q 'org.kde.KWin'
}

start_mutter() {
    local monitors=()
    for size in ${RIG_MONITORS//,/ }; do
        monitors+=(--virtual-monitor "$size")
    done
    # No animations: a window the test has mapped is on screen at its next frame, not zooming in
    # with the desktop showing at its corners.
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    printf '[org/gnome/desktop/interface]\nenable-animations=false\n' \
        >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
    local x11=(--no-x11)
    [ "$RIG_X11" = 1 ] && x11=()
    GSETTINGS_BACKEND=keyfile mutter --headless --wayland "${x11[@]}" "${monitors[@]}" \
        --wayland-display "$display_name" >"$RIG_LOGS/mutter.log" 2>&1 &
    wait_until $start_limit_tenths test -S "$XDG_RUNTIME_DIR/$display_name" &&
        wait_until $start_limit_tenths mutter_offers_remote_desktop || return 1
    [ "$RIG_X11" = 1 ] || return 0
    wait_until $start_limit_tenths xwayland_display_named || return 1
    DISPLAY=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$RIG_LOGS/mutter.log" | head -n1)
    # Its clients must show the cookie mutter keeps beside its sockets.
    XAUTHORITY=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name '.mutter-Xwaylandauth.*' | head -n1)
    export DISPLAY XAUTHORITY
}

# Mutter names the display of its XWayland server in its log once the server listens.
xwayland_display_named() {
    grep -q 'Using public X11 display' "$RIG_LOGS/mutter.log"
}

# A test desktop without a Plasma session behind it: KWin's checks of who may take screenshots and
# inject input look the caller up among installed programs, which the rig's helpers are not.
start_kwin() {
    cp "$(command -v kwin_wayland)" "$RIG_ROOT/kwin_wayland"
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 \
        "$RIG_ROOT/kwin_wayland" --virtual --width 1280 --height 720 --socket "$display_name" --no-lockscreen \
        >"$RIG_LOGS/kwin.log" 2>&1 &
    wait_until $start_limit_tenths test -S "$XDG_RUNTIME_DIR/$display_name" &&
        wait_until $start_limit_tenths kwin_answers
}

# sway's runtime folder: its own, as it runs as another user.
sway_runtime() {
    echo "$RIG_ROOT/sway"
}

sway_socket() {
    compgen -G "$(sway_runtime)/wayland-[0-9]" >/dev/null && compgen -G "$(sway_runtime)/sway-ipc.*" >/dev/null
}

# sway names its socket itself: the rig's name is a link to it. Root reaches the other user's sockets.
start_sway() {
    local runtime
    runtime=$(sway_runtime)
    mkdir -m 0700 "$runtime"
    printf 'output * resolution 1280x720 bg #202020 solid_color\ndefault_border none\n' >"$runtime/sway.conf"
    chown -R $unprivileged:$unprivileged "$runtime"
    XDG_RUNTIME_DIR="$runtime" HOME="$runtime" WAYLAND_DISPLAY= WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1 setpriv --reuid=$unprivileged --regid=$unprivileged \
        --clear-groups sway -c "$runtime/sway.conf" >"$RIG_LOGS/sway.log" 2>&1 &
    wait_until $start_limit_tenths sway_socket || return 1
    ln -s "$(compgen -G "$runtime/wayland-[0-9]" | head -n 1)" "$XDG_RUNTIME_DIR/$display_name"
    SWAYSOCK=$(compgen -G "$runtime/sway-ipc.*" | head -n 1)
    export SWAYSOCK
    # Started by the portal through the bus, this back-end now and then took the bus's whole 25 s
    # activation limit to come up; started here it is there at once. Without a chooser setting it tries
    # menu programs that are not installed, and now and then dies of the closed pipe to one of them.
    mkdir -p "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr"
    printf '[screencast]\nchooser_type=none\n' >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
    /usr/libexec/xdg-desktop-portal-wlr >"$RIG_LOGS/portal-wlr.log" 2>&1 &
    wait_until $start_limit_tenths owns_name org.freedesktop.impl.portal.desktop.wlr
}

# Inside the private session bus: the desktop's parts, then the command.
inside() {
    pipewire >"$RIG_LOGS/pipewire.log" 2>&1 &
    # WirePlumber gives up at once when PipeWire is not listening yet, and without it no stream is
    # ever linked: a cast would stay paused.
    if ! wait_until $start_limit_tenths test -S "$XDG_RUNTIME_DIR/pipewire-0"; then
        echo "rig: pipewire did not start" >&2
        show_logs
        return 1
    fi
    wireplumber >"$RIG_LOGS/wireplumber.log" 2>&1 &
    local compositor
    case $desktop in
    gnome) compositor=mutter ;;
    kde) compositor=kwin ;;
    sway) compositor=sway ;;
    esac
    if ! "start_$compositor"; then
        echo "rig: $compositor did not start" >&2
        show_logs
        return 1
    fi
    if ! wait_until $start_limit_tenths session_manager_runs; then
        echo "rig: wireplumber did not start" >&2
        show_logs
        return 1
    fi
    "$portal" >"$RIG_LOGS/portal.log" 2>&1 &
    if ! wait_until $start_limit_tenths owns_name org.freedesktop.portal.Desktop ||
        ! wait_until $start_limit_tenths portal_offers_screen_cast; then
        echo "rig: the desktop portal offers no screen cast" >&2
        show_logs
        return 1
    fi
    # Content that changes, as on a real desktop, for mutter's screen cast (this client runs out of
    # buffers under KWin, and sway would tile it beside the test's windows).
    if [ "$desktop" = gnome ] && [ "$RIG_CONTENT" != none ]; then
        weston-simple-shm >"$RIG_LOGS/content.log" 2>&1 &
    fi
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
x11_needed=()
[ "${RIG_X11:-0}" = 1 ] && x11_needed=(Xwayland)
for program in dbus-run-session gdbus setsid pipewire wireplumber "$portal" "${needed[@]}" "${x11_needed[@]}"; do
    command -v "$program" >/dev/null 2>&1 || [ -e "$program" ] || missing+=("$program")
done
for file in "${portal_files[@]}"; do
    [ -f "$portals/$file" ] || missing+=("$portals/$file")
done
# What the portal runs is installed with the desktop by the bootstrap, so its absence is a fault of the
# machine, not a desktop this machine lacks: the test fails instead of skipping.
for program in ${portal_runs[@]+"${portal_runs[@]}"}; do
    if ! command -v "$program" >/dev/null 2>&1; then
        echo "rig: the $desktop desktop's portal runs $program, which is missing: run scripts/bootstrap.sh" >&2
        exit 1
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "rig: no headless $desktop desktop here, missing: ${missing[*]} (see the README's tests section)" >&2
    exit 77
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/quillet-rig.XXXXXX")
mkdir -m 0700 "$root/runtime" "$root/home"
mkdir "$root/portals" "$root/logs"
# Only this desktop's back-ends: this portal version has no configuration file and would otherwise pick
# among every installed back-end by desktop name.
for file in "${portal_files[@]}"; do
    cp "$portals/$file" "$root/portals/"
done
desktop_environment=()
if [ "$desktop" = sway ]; then
    # sway, as another user, passes through the rig's folder to its own.
    chmod 0711 "$root"
    # GTK's accessibility bus, started by the GTK back-end, is of no use here.
    desktop_environment=(NO_AT_BRIDGE=1)
fi

group=
finish() {
    local status=$?
    if [ -n "$group" ] && kill -0 -- "-$group" 2>/dev/null; then
        kill -TERM -- "-$group" 2>/dev/null || true
        wait_until $stop_limit_tenths eval "! kill -0 -- -$group 2>/dev/null" ||
            kill -KILL -- "-$group" 2>/dev/null || true
    fi
    # The document portal's file system outlives a portal that was killed.
    if grep -q " $root/runtime/doc " /proc/mounts; then
        fusermount -u -z "$root/runtime/doc" 2>/dev/null || umount -l "$root/runtime/doc" 2>/dev/null || true
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
    XDG_DESKTOP_PORTAL_DIR="$root/portals" XDG_CURRENT_DESKTOP=$current_desktop XDG_SESSION_TYPE=wayland \
    WAYLAND_DISPLAY="$display_name" QT_QPA_PLATFORM=wayland RIG_LOGS="$root/logs" RIG_DESKTOP="$desktop" \
    RIG_MONITORS="$monitor_sizes" RIG_CONTENT="${RIG_CONTENT:-animated}" RIG_X11="${RIG_X11:-0}" \
    RIG_ROOT="$root" \
    ${QUILLET_SOURCE_DIR:+QUILLET_SOURCE_DIR="$QUILLET_SOURCE_DIR"} \
    ${QUILLET_BIN_DIR:+QUILLET_BIN_DIR="$QUILLET_BIN_DIR"} \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
    ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    "${desktop_environment[@]}" setsid dbus-run-session -- bash "$0" --inside "$@" &
group=$!
status=0
wait $group || status=$?
exit $status
