#!/usr/bin/env bash
# Builds everything and runs the whole test suite under a virtual X display, then the suites that
# guard memory safety once more in an AddressSanitizer/UBSan build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
xvfb=(xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp")

"$root/scripts/build.sh"
(cd "$build" && "${xvfb[@]}" ctest --output-on-failure -j"$(nproc)" --timeout 300)

# Settings and their text forms take untrusted input; run them with ASan and UBSan.
asan_build=${ASAN_BUILD_DIR:-$root/build-asan}
BUILD_DIR=$asan_build BUILD_TARGET=kestro_tests "$root/scripts/build.sh" -DKESTRO_SANITIZER=address,undefined -DBUILD_TESTING=ON > /dev/null
(cd "$asan_build" && UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "${xvfb[@]}" ctest --output-on-failure -j"$(nproc)" --timeout 300 -R '^Settings')
