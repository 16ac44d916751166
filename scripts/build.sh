#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR). Extra arguments go to the CMake configure step.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
if command -v ccache >/dev/null; then
    export CCACHE_DIR=${CCACHE_DIR:-$root/.ccache} CCACHE_SLOPPINESS=time_macros
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-Debug} "$@"
cmake --build "$build" -j"$(nproc)" ${BUILD_TARGET:+--target $BUILD_TARGET}
