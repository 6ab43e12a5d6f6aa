#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quillet with the given arguments.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/build.sh" default >&2
exec "$here/build/bin/quillet" "$@"
