#!/usr/bin/env bash
# Builds everything and runs the whole test suite under a virtual X display, then runs it again in
# an AddressSanitizer/UBSan build, runs the audio engine's tests in a ThreadSanitizer build, and
# runs every fuzz target for a short fixed time (scripts/fuzz.sh).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")
# The end-to-end tests need jackd (scripts/packages.txt): here a server that cannot start fails them
# instead of skipping them.
export KESTRO_REQUIRE_JACK=1
# A test that cannot get the namespaces it runs in (tests/support/in-private-namespace.sh) fails
# here instead of skipping.
export KESTRO_REQUIRE_NAMESPACES=1
run_ctest() { "${xvfb[@]}" ctest --output-on-failure -j"$(nproc)" --timeout 300 "$@"; }

"$root/scripts/build.sh"
(cd "$build" && run_ctest)
# The end-to-end JACK tests again, on a headless PipeWire through its JACK library (what Debian's
# desktops run); there they use PipeWire's server instead of starting jackd.
(cd "$build" && "${xvfb[@]}" "$root/scripts/pipewire-session.sh" tests/e2e/kestro_e2e_tests)

# The sanitizer builds hold the main test binary, and the AddressSanitizer build also the
# application's tests on a JACK server that goes away.
asan_build=${ASAN_BUILD_DIR:-$root/build-asan}
tsan_build=${TSAN_BUILD_DIR:-$root/build-tsan}
BUILD_DIR=$asan_build BUILD_TARGET="kestro_tests kestro_e2e_app_tests" "$root/scripts/build.sh" -DKESTRO_SANITIZER=address,undefined > /dev/null
BUILD_DIR=$tsan_build BUILD_TARGET=kestro_tests "$root/scripts/build.sh" -DKESTRO_SANITIZER=thread > /dev/null

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/ubsan.supp TSAN_OPTIONS=halt_on_error=1
cd "$asan_build"
# Everything, for memory errors. The X libraries JUCE loads leak at exit, so leaks are checked
# only for the suites that build no editor (InputSide, SettingsWindow, ConfigFileRoundTrip and
# ConfigFileHostileStartUp do: its windows load them, and a re-measure the Audio tab scheduled may
# still be pending at exit).
ASAN_OPTIONS=detect_leaks=0 run_ctest -E NOT_BUILT
run_ctest -R '(^|/)(Settings|ConfigFile|Ringbuffer|MeterPath|MeterHandler|MeterLoss|MeterMidi|ChannelTables)' -E 'SettingsWindow|ConfigFileRoundTrip|ConfigFileHostileStartUp'

cd "$tsan_build"
run_ctest -R '(^|/)(MeterPath|MeterHandler|MeterLoss|InputSide|JackAudioDeviceType|JackServerLossTest)'

# The readers of untrusted bytes, each fuzzed for FUZZ_SECONDS (30 s unless set).
"$root/scripts/fuzz.sh"
