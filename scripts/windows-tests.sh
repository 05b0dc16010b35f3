#!/usr/bin/env bash
# The windows build and its tests under Wine, from a fresh machine:
# packages, the cross-built libraries (reused when already built), the build,
# the windows program folder, then every test in a fresh Wine prefix under a
# virtual display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/windows-program.sh
build=build/windows
jobs=$(nproc)

prefix=$PWD/$build/wineprefix
xvfb_pid=""
finish() {
  scripts/wine-prefix.sh stop "$prefix" || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap finish EXIT

echo "=== windows: fresh Wine prefix"
scripts/wine-prefix.sh create "$prefix"

# A display of our own: message boxes and the wizard's windows are real.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"
export ZK_REQUIRE_DISPLAY=1

# Server and services up before CTest, detached from its pipes.
scripts/wine-prefix.sh start "$prefix"
echo "=== windows: tests under Wine (display $DISPLAY)"
ctest --preset windows -j "$jobs"
