#!/usr/bin/env bash
# Installs what the fuzz targets and the ThreadSanitizer build need beyond the
# host build's packages: clang and its runtime libraries (libFuzzer, the
# sanitizers), and llvm for scripts/fuzz-coverage.sh (llvm-profdata,
# llvm-cov).
set -euo pipefail
exec "$(dirname "$0")/install-packages.sh" clang libclang-rt-14-dev llvm
