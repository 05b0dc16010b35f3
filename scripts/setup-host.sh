#!/usr/bin/env bash
# Installs, on a fresh Debian 12 machine, every package the host build and its
# tests need. Packages already present are left alone, so a second run is quick.
set -euo pipefail
exec "$(dirname "$0")/install-packages.sh" \
  build-essential cmake ninja-build pkg-config \
  googletest libgtest-dev libgmock-dev \
  libmspack-dev zlib1g-dev libminizip-dev libpugixml-dev nlohmann-json3-dev \
  libcpp-httplib-dev \
  unzip zip cabextract gcab python3 curl chromium \
  fp-utils help2man man-db dpkg-dev lintian \
  osslsigncode openssl clang-format
