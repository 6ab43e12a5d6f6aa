#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the whole test suite; then
# the same suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh ci
ctest --test-dir build --output-on-failure --timeout 300 -j 2
bash scripts/build.sh sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    ctest --test-dir build-sanitize --output-on-failure --timeout 600 -j 2
