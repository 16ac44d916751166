#!/usr/bin/env bash
# Builds the application and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh"
exec "${BUILD_DIR:-$root/build}/KestroVantrel_artefacts/Debug/Kestro Vantrel Standalone"
