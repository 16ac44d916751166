#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, ASan and UBSan; JUCE and the program's
# code instrumented alike) in build-fuzz/ and runs each for a fixed time on a copy of its seed
# corpus (tests/fuzz/corpus/<target>/), so what a run finds never grows the committed corpus.
# Fails if any target finds a crash, a hang (10 s on one input) or a memory blow-up; the input
# is kept in build-fuzz/fuzz-artifacts/ and each target's log in build-fuzz/fuzz-logs/.
#   FUZZ_SECONDS   seconds per target (default 30)
#   FUZZ_TARGETS   the targets to run, blank-separated (default: all)
#   FUZZ_JOBS      targets run side by side (default 3)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${FUZZ_SECONDS:-30}
jobs=${FUZZ_JOBS:-3}
all_targets="settings_xml state_block int_list_text config_xml global_config_xml versions_document
             version_number host_state_block translations"
read -r -a targets <<< "$(echo ${FUZZ_TARGETS:-$all_targets})"

BUILD_DIR=$build BUILD_TYPE=RelWithDebInfo BUILD_TARGET=kestro_fuzzers "$root/scripts/build.sh" \
    -DKESTRO_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ > /dev/null

artifacts=$build/fuzz-artifacts
logs=$build/fuzz-logs
mkdir -p "$artifacts" "$logs"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/ubsan.supp

# The longest input worth trying: numbers are short, documents are not.
max_len() {
    case $1 in
        int_list_text|version_number) echo 4096 ;;
        *) echo 65536 ;;
    esac
}

run_target() {
    local name=$1 work status
    # The file readers' scratch folders go to memory when it can hold them (fsync on a disk is slow).
    if [ -w /dev/shm ]; then work=$(mktemp -d -p /dev/shm); else work=$(mktemp -d); fi
    cp -r "$root/tests/fuzz/corpus/$name" "$work/corpus"
    mkdir -p "$work/tmp"
    status=0
    # Each target's readers that take a file work in its own scratch folder below TMPDIR.
    (cd "$work" && TMPDIR=$work/tmp nice "$build/tests/fuzz/fuzz_$name" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$(max_len "$name")" \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work/corpus") \
        > "$logs/$name.log" 2>&1 || status=$?
    rm -rf "$work"
    local runs cov
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$logs/$name.log" | grep -o '[0-9]*$' || true)
    cov=$(grep -E '^#[0-9]+.*(DONE|cov:)' "$logs/$name.log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
    if [ "$status" -eq 0 ]; then
        echo "fuzz_$name: ok, ${runs:-?} runs, ${cov:-no coverage line}"
    else
        echo "fuzz_$name: FAILED (exit $status), see $logs/$name.log"
        grep -E '^==[0-9]+==ERROR|^SUMMARY|Fuzz check failed|Test unit written' "$logs/$name.log" | head -5 | sed 's/^/    /'
        return 1
    fi
}

failed=0
running=0
for name in "${targets[@]}"; do
    if [ "$running" -ge "$jobs" ]; then
        wait -n || failed=1
        running=$((running - 1))
    fi
    run_target "$name" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failed=1
    running=$((running - 1))
done
exit $failed
