#!/usr/bin/env bash
# Installs what bench/compare.py runs beside our own tools: Info-ZIP zip and
# unzip, gzip, pigz, and strace for its --io count.
set -euo pipefail
exec "$(dirname "$0")/install-packages.sh" zip unzip gzip pigz strace python3
