#!/usr/bin/env bash
# Installs, on a fresh Debian 12 machine, every package the windows build and
# its tests under Wine need (the host packages come from setup-host.sh).
# Packages already present are left alone, so a second run is quick.
# fonts-liberation: Liberation Sans has Arial's metrics, so under Wine the
# wizard's "Arial" captions fit their controls as they do on Windows.
set -euo pipefail
exec "$(dirname "$0")/install-packages.sh" \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 libz-mingw-w64-dev \
  wine64 xvfb xauth imagemagick dpkg-dev fp-utils nsis fonts-liberation
