#!/usr/bin/env bash
# Installs what is missing, then configures (first time only) and builds with the given preset.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
bash scripts/bootstrap.sh
dir=build
[ "$preset" = sanitize ] && dir=build-sanitize
if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" >/dev/null
elif [ "$preset" = ci ]; then
    cmake -S . -B "$dir" -DQUILLET_WERROR=ON >/dev/null
fi
cmake --build "$dir" -j "$(nproc)"
