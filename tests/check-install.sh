#!/bin/bash
# Installs the build into a scratch prefix and checks what a desktop needs: both programs side by
# side, a launcher that desktop-file-validate accepts and whose icon the hicolor theme holds.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/quillet"
test -x "$prefix/bin/quillet-screencapture"
launcher="$prefix/share/applications/app.quillet.Quillet.desktop"
desktop-file-validate "$launcher"
icon="$(sed -n 's/^Icon=//p' "$launcher")"
test -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
grep -qx "Exec=$prefix/bin/quillet" "$prefix/share/dbus-1/services/app.quillet.Quillet.service"
"$prefix/bin/quillet" --version | grep -q '^quillet [0-9]'
"$prefix/bin/quillet" --help | grep -q -- '--snapshot'
# The installed program finds its media module (loaded on first use, so that FFmpeg costs nothing at start).
env -u DISPLAY "$prefix/bin/quillet" --diagnose "$prefix/report.txt" 2>/dev/null
grep -q 'FFmpeg [0-9]' "$prefix/report.txt"
echo "installed and valid"
