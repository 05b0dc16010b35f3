#!/usr/bin/env bash
# install-packages.sh PACKAGE...: installs the Debian packages that are not
# installed yet. The package lists are updated once per machine start, however
# many set-up scripts ask for packages.
set -euo pipefail

missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
stamp=/tmp/zephyrkit-apt-lists-updated
if [ ! -e "$stamp" ]; then
  $sudo apt-get update -q
  touch "$stamp"
fi
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
