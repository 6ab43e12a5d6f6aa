#!/bin/bash
# Packs the build into the Debian package as scripts/package.sh does and checks what a Debian 12 user
# gets: lintian finds no error and no warning without an override that gives its reason (its
# remaining notes are of the "info" kind: the binaries are built with CMake's flags rather than
# dpkg-buildflags' hardening ones, and CPack strips without removing .comment); the metainfo and the
# launcher are valid; the programs run from the unpacked files; Depends names every library the
# binaries load.
#
#   check-package.sh BUILD_DIR
set -euo pipefail
build="$1"
# The sanitizer build is never shipped: its binaries need the AddressSanitizer runtime and its leak
# checker would judge the packaging by the sanitizers' rules. The release build's run covers the package.
if grep -qx 'QUILLET_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "skipped: a package is made from the release build, not the sanitizer build"
    exit 77
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb="$scratch/out/quillet_${version}_amd64.deb"
test -s "$deb" || fail "no $deb"

lintian_status=0
lintian --fail-on error,warning --pedantic "$deb" >"$scratch/lintian.txt" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$scratch/lintian.txt" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports an error, or a warning without an override"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not the project's $version"
appstreamcli validate --no-net "$root/usr/share/metainfo/app.quillet.Quillet.metainfo.xml" >/dev/null ||
    fail "appstreamcli rejects the metainfo"
grep -q "release version=\"$version\"" "$root/usr/share/metainfo/app.quillet.Quillet.metainfo.xml" ||
    fail "the metainfo's release is not $version"
desktop-file-validate "$root/usr/share/applications/app.quillet.Quillet.desktop"
for size in 16 22 24 32 48 64 128 256; do
    test -s "$root/usr/share/icons/hicolor/${size}x${size}/apps/app.quillet.Quillet.png" || fail "no ${size}px icon"
done
for program in quillet quillet-screencapture; do
    test -s "$root/usr/share/man/man1/$program.1.gz" || fail "no manual page for $program"
done
grep -qx 'Exec=/usr/bin/quillet' "$root/usr/share/dbus-1/services/app.quillet.Quillet.service" ||
    fail "the session bus's service file does not name /usr/bin/quillet"

# The unpacked programs run and find their modules in the package's private library folder.
[ "$(env -u DISPLAY "$root/usr/bin/quillet" --version)" = "quillet $version" ] || fail "quillet --version"
env -u DISPLAY "$root/usr/bin/quillet-screencapture" --help | grep -q -- '-R x,y,w,h' ||
    fail "quillet-screencapture --help"
env -u DISPLAY "$root/usr/bin/quillet" --diagnose "$scratch/report.txt" 2>/dev/null
grep -qx "bundle: $root/usr/bin/quillet" "$scratch/report.txt" || fail "the report is not of the unpacked program"
grep -q 'FFmpeg [0-9]' "$scratch/report.txt" || fail "the unpacked program does not load its media module"

# Every library an ELF file of the package needs comes from a package that Depends names.
depends=",$(dpkg-deb -f "$deb" Depends | tr -d ' '),"
owner_of() {
    local path real
    path="$(ldconfig -p | awk -v name="$1" '$1 == name && /x86-64/ { print $NF; exit }')"
    [ -n "$path" ] || return 0
    real="$(readlink -f "$path")"
    # dpkg knows a file under one of its names only: with /usr merged, either of these.
    { printf '%s\n' "$path" "$real" "${real#/usr}" | xargs dpkg-query -S 2>/dev/null || true; } |
        head -n 1 | sed 's/[:,].*//'
}
checked=0
while read -r elf; do
    for library in $(objdump -p "$elf" | awk '$1 == "NEEDED" { print $2 }'); do
        package="$(owner_of "$library")"
        [ -n "$package" ] || fail "${elf#"$root"} needs $library, which no Debian package holds"
        case $depends in
        *",$package,"* | *",$package("*) checked=$((checked + 1)) ;;
        *) fail "${elf#"$root"} needs $library from $package, which Depends does not name" ;;
        esac
    done
done < <(find "$root/usr/bin" "$root/usr/lib/quillet" -type f)
[ "$checked" -gt 0 ] || fail "no library was checked"
case $depends in *-dev[,\(]*) fail "Depends names a development package: $depends" ;; esac
echo "package quillet_${version}_amd64.deb valid; Depends covers $checked needed libraries"
