#!/usr/bin/env bash
# The windows build from a fresh machine and its program folder: packages,
# the cross-built libraries (reused when already built), the build, then
# build/windows/program with Zephyrkit.exe and the build inputs beside it,
# and the set-up program Zephyrkit-<version>-setup.exe made from that folder.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-windows.sh
build=build/windows
scripts/windows-deps.sh "$build"
echo "=== windows: configure and build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)"
rm -rf "$build/program"
cmake --install "$build" --prefix "$build/program" >/dev/null
echo "=== windows: set-up program"
cmake --build "$build" --target setup
echo "=== windows: program folder $PWD/$build/program"
ls "$build/program"
