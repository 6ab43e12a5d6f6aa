#!/usr/bin/env bash
# Runs each libFuzzer program for SECONDS (default 60) and keeps what it learnt: the corpus under
# tests/fuzz/corpus/<target>/ is merged down to the inputs that add coverage, and the test suite replays
# it in every build. Inputs that crash are kept in build-fuzz/findings/<target>/.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]   (targets: property-list capture-arguments capture-raw
#                                                  desktop-key-bindings capture-png editor-image action-arguments movie-name)
# The CPU is shared: the fuzzers run one after another at the lowest priority.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(property-list capture-arguments desktop-key-bindings capture-png capture-raw editor-image action-arguments movie-name)

bash scripts/bootstrap.sh fuzz
[ -f build-fuzz/CMakeCache.txt ] || cmake --preset fuzz >/dev/null
nice -n 19 cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz-}"

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Qt's image readers need no display.
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
    kept=tests/fuzz/corpus/$target
    work=build-fuzz/corpus/$target
    findings=build-fuzz/findings/$target
    mkdir -p "$kept" "$work" "$findings"
    log=build-fuzz/$target.log
    status=0
    nice -n 19 "build-fuzz/fuzz/fuzz-$target" "$work" "$kept" -max_total_time="$seconds" -print_final_stats=1 \
        -rss_limit_mb=4096 -timeout=10 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
    # Merged into a fresh folder, then swapped in: an interrupted merge leaves the kept corpus whole.
    merged=$(mktemp -d build-fuzz/merge-XXXXXX)
    nice -n 19 "build-fuzz/fuzz/fuzz-$target" -merge=1 "$merged" "$kept" "$work" >>"$log" 2>&1
    rm -rf "$kept" && mv "$merged" "$kept"
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | head -n 1)
    found=$(find "$findings" -type f | wc -l)
    echo "$target: ${runs:-?} executions in ${seconds} s, $(find "$kept" -type f | wc -l) inputs kept, $found findings (exit $status, log $log)"
done
