#!/usr/bin/env bash
# Runs a built test suite several times in a row while every core is kept busy by other processes,
# as on a shared CI machine, and says how many runs passed. A suite that is right only on a quiet
# machine fails here.
#
#   scripts/test-under-load.sh [RUNS [BUILD_DIR [ctest arguments...]]]
#
# RUNS defaults to 5, BUILD_DIR to build/. The suite is run as scripts/test.sh runs it (ctest -j with
# one job per core, under a virtual X display, with the end-to-end tests required).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
build=$(cd "${2:-$root/build}" && pwd)
shift $(( $# > 2 ? 2 : $# ))
export KESTRO_REQUIRE_JACK=1 KESTRO_REQUIRE_NAMESPACES=1

busy=()
stop_busy() { [ ${#busy[@]} -eq 0 ] || kill "${busy[@]}" 2>/dev/null || true; wait 2>/dev/null || true; }
trap stop_busy EXIT
for _ in $(seq "$(nproc)"); do
    ( while :; do :; done ) &
    busy+=($!)
done

passed=0
for run in $(seq "$runs"); do
    log=$build/under-load-$run.log
    start=$SECONDS
    if (cd "$build" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
            ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@" > "$log" 2>&1); then
        passed=$((passed + 1))
        echo "run $run: passed in $((SECONDS - start)) s"
    else
        echo "run $run: FAILED in $((SECONDS - start)) s (see $log):"
        grep -E '^\s+[0-9]+ - ' "$log" || true
    fi
done
echo "$passed of $runs runs passed under load"
[ "$passed" -eq "$runs" ]
