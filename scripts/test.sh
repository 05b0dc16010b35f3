#!/usr/bin/env bash
# Every test, from a fresh machine: set-up, the host build and its tests, then
# the same tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then the windows build and its tests under Wine (the set-up program among
# them), and the .deb once more with the windows build inputs in it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh

jobs=$(nproc)
for preset in host sanitize; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done
scripts/windows-tests.sh
# The .deb again, now that the windows build inputs it carries exist.
echo "=== host: the .deb with the windows build inputs"
ZK_REQUIRE_WINDOWS_INPUTS=1 ctest --preset host -R '^debian_package$'
echo "=== all tests passed"
