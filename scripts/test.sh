#!/usr/bin/env bash
# Every test, from a fresh machine: set-up, the layout of the C++ sources
# (scripts/check-format.sh), the host build and its tests, then
# the same tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests that run threads under ThreadSanitizer, the fuzz targets over
# their regressions and seeds (a short fixed run, scripts/fuzz.sh --ci), then
# the windows build and its tests under Wine (the set-up program among them),
# and the .deb once more with the windows build inputs in it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-host.sh
scripts/setup-fuzz.sh
scripts/check-format.sh

jobs=$(nproc)
for preset in host sanitize; do
  echo "=== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: tests"
  ctest --preset "$preset" -j "$jobs"
done
# The installer's unpacking and installation threads, the status hand-over,
# the log and state-file locks, the device threads and the connection
# wait's worker, and the zip writer's deflate workers.
echo "=== tsan: configure and build the tests that run threads"
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
echo "=== tsan: tests"
ctest --preset tsan -j "$jobs"
scripts/fuzz.sh --ci
scripts/windows-tests.sh
# The .deb again, now that the windows build inputs it carries exist.
echo "=== host: the .deb with the windows build inputs"
ZK_REQUIRE_WINDOWS_INPUTS=1 ctest --preset host -R '^debian_package$'
echo "=== all tests passed"
