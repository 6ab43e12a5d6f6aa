#!/usr/bin/env bash
# Fails when the pure layers include a Qt, X11 or xcb header, or when their test binaries
# (which link the pure layers and nothing else of ours) pull in a Qt or X library.
set -u
root=$1; shift
status=0

hits=$(grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>"]*|X11/[^>"]*|xcb/[^>"]*|xkbcommon/[^>"]*|webp/[^>"]*|lib(av|sw)[a-z]*/[^>"]*|pulse/[^>"]*)[>"]' \
    "$root/core" "$root/kit-core" 2>/dev/null)
if [ -n "$hits" ]; then
    echo "platform headers in a pure layer:"
    echo "$hits"
    status=1
fi

for binary in "$@"; do
    libs=$(ldd "$binary" | grep -Ei 'libQt|libX|libxcb|libxkb|libwebp|libav|libsw|libpulse')
    if [ -n "$libs" ]; then
        echo "$binary links platform libraries:"
        echo "$libs"
        status=1
    fi
done

[ $status -eq 0 ] && echo "pure layers use only the standard library"
exit $status
