#!/usr/bin/env bash
# Installs what the fuzz targets and the ThreadSanitizer build need beyond the
# host build's packages: clang and its runtime libraries (libFuzzer, the
# sanitizers).
set -euo pipefail
exec "$(dirname "$0")/install-packages.sh" clang libclang-rt-14-dev
