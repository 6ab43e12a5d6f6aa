#!/usr/bin/env bash
# Builds the Debian package build/package/quillet_<version>_amd64.deb from the release build in
# build/ (installing what is missing and building the programs first), with the pictures its
# metainfo shows beside it in build/package/screenshots/, ready to publish.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
[ -f build/CMakeCache.txt ] || cmake --preset default >/dev/null
cmake --build build --target quillet quillet-screencapture
out=build/package
rm -rf "$out"
cpack --config build/CPackConfig.cmake -B "$out" >"$out.log" 2>&1 || { cat "$out.log"; exit 1; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
mkdir -p "$out/screenshots"
build/bin/quillet --snapshot "$out/screenshots" 2>/dev/null
build/bin/quillet --snapshot-editor "$out/screenshots" 2>/dev/null
test -s "$out/quillet_${version}_amd64.deb"
echo "$out/quillet_${version}_amd64.deb"
