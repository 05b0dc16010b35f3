#!/usr/bin/env bash
# The Wine prefix that the windows build's programs and tests run in.
#
#   scripts/wine-prefix.sh create PREFIX           a fresh prefix (an existing one is removed)
#   scripts/wine-prefix.sh start PREFIX [SECONDS]  make the prefix when it is not there, and
#                                                  start its wineserver and services detached
#                                                  from our stdio (the server lingers SECONDS
#                                                  after its last client; default: until stop)
#   scripts/wine-prefix.sh stop PREFIX             end the prefix's wineserver and programs
#
# A new prefix never prompts for Mono or Gecko, never opens a crash dialog
# (which would wait forever under Xvfb), does not ask a window manager about
# every window (each hide would cost two seconds without one) and has no
# sound. The wineserver and the services (winedevice, plugplay...) that the
# first program of a session starts inherit that program's stdio and can keep
# CTest waiting for them, so "start" brings them up first, on /dev/null. The
# server's socket lives below TMPDIR: every call on one prefix must see the
# same TMPDIR. No child keeps the lock's descriptor (9): a lingering server
# that held it would hold the lock.
set -euo pipefail

wine=${ZK_WINE:-/usr/lib/wine/wine64}
wineserver=${ZK_WINESERVER:-/usr/lib/wine/wineserver}
[ -x "$wineserver" ] || wineserver=/usr/lib/wine/wineserver64

usage() { echo "usage: $0 create|start|stop PREFIX [SECONDS]" >&2; exit 2; }
[ $# -ge 2 ] && [ $# -le 3 ] || usage
command=$1
prefix=$2
linger=${3:-}
case "$prefix" in /*) ;; *) prefix=$PWD/$prefix ;; esac

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d"

# Succeeds when it started a server, fails when one was running already.
start_server() {
  "$wineserver" "-p$linger" </dev/null >/dev/null 2>&1 9>&-
}

stop_server() {
  [ -d "$prefix" ] || return 0
  "$wineserver" -k </dev/null >/dev/null 2>&1 9>&- || true
  "$wineserver" -w </dev/null >/dev/null 2>&1 9>&- || true
}

create_prefix() {
  stop_server
  rm -rf "$prefix"
  mkdir -p "$prefix"
  start_server || true
  # No display while booting: nothing of the new prefix needs a window.
  DISPLAY= "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-
  local settings=$prefix/zk-settings.reg
  cat >"$settings" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""
REG
  DISPLAY= "$wine" regedit /S "$(winepath_of "$settings")" </dev/null >/dev/null 2>&1 9>&-
  rm -f "$settings"
  # Ending the server saves the registry to the prefix's files.
  stop_server
  touch "$prefix/.zk-ready"
}

# A host path as Wine sees it on its Z: drive.
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

case "$command" in
  create)
    create_prefix
    ;;
  start)
    mkdir -p "$(dirname "$prefix")"
    # Test programs start in parallel: one of them makes the prefix and
    # warms it up, the others wait for it.
    exec 9>"$prefix.lock"
    flock 9
    [ -f "$prefix/.zk-ready" ] || create_prefix
    if start_server; then
      "$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
    ;;
  stop)
    stop_server
    ;;
  *)
    usage
    ;;
esac
