#!/usr/bin/env bash
# The Wine device: a Wine prefix whose C: drive is the device's file system,
# so that the device programs of the windows build run as on a device.
#
#   scripts/wine-device.sh create PREFIX [--profile NAME] [--screen SCREEN]
#                                        [--free-storage BYTES]
#       a fresh device (an existing PREFIX is removed): \Temp, \Windows with
#       the emulated platform installer wceload.exe, \Windows\StartUp,
#       \Program Files, \My Documents, and the device profile (default
#       ppc2003, screen qvga) in the registry; the same prefix plays the
#       desktop the device is connected to, with the emulated ActiveSync
#       (rapi.dll) whose device is its C: drive. With --free-storage the C:
#       drive is a volume of its own (a tmpfs mount; needs the right to
#       mount) with that much free: GetDiskFreeSpaceEx says so, and writes
#       past it fail as on a full device
#   scripts/wine-device.sh profile PREFIX NAME [--screen SCREEN]
#       turns an existing device into another profile
#   scripts/wine-device.sh storage PREFIX BYTES
#       gives an existing device BYTES of free storage, its files kept
#   scripts/wine-device.sh run PREFIX PACKAGE [ARGS...]
#       copies PACKAGE to \My Documents and starts it there with ARGS, with the
#       current folder at the device root; returns when it ends, with its exit
#       status (206: it ended with a device reset)
#   scripts/wine-device.sh put PREFIX FILE
#       copies FILE to \My Documents
#   scripts/wine-device.sh exec PREFIX PROGRAM [ARGS...]
#       runs a Windows program of the host (a driver that presses the
#       installer's keys, say) on the device, its current folder at the
#       device root; returns with its exit status
#   scripts/wine-device.sh report PREFIX
#       prints \Temp\Zephyrkit.log, \Windows\wceload.log, \Windows\reset.log
#       and the files that appeared under \Program Files
#   scripts/wine-device.sh stop PREFIX
#       ends the device's wineserver and programs
#
# Programs with windows need a display: set DISPLAY (an Xvfb of your own).
# Environment: ZK_WINDOWS_BUILD (default build/windows), ZK_DEVICE (the host
# build's zk-device, which holds the profiles; default
# build/host/emulator/host/zk-device), ZK_WINE (default /usr/lib/wine/wine64).
# New devices are copied from a template prefix made once beside the
# windows build (ZK_WINE_TEMPLATE), which takes a few seconds instead of a
# Wine start-up. Every call on one device uses the same TMPDIR (below the
# prefix's own folder), where the device's wineserver keeps its socket.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
windows_build=${ZK_WINDOWS_BUILD:-$root/build/windows}
zk_device=${ZK_DEVICE:-$root/build/host/emulator/host/zk-device}
wine=${ZK_WINE:-/usr/lib/wine/wine64}
template=${ZK_WINE_TEMPLATE:-$windows_build/wine-device-template}
export ZK_WINE=$wine

usage() {
  sed -n '5,34p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
die() { echo "wine-device: $*" >&2; exit 3; }

[ $# -ge 2 ] || usage
command=$1
prefix=$2
shift 2
case "$prefix" in /*) ;; *) prefix=$PWD/$prefix ;; esac
drive=$prefix/drive_c

use_prefix() {
  export WINEPREFIX=$prefix
  export WINEARCH=win64
  export WINEDEBUG=${ZK_WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d"
  # One TMPDIR per device, whoever calls: a second one would start a second
  # wineserver on the same prefix.
  export TMPDIR=$prefix.tmp
  mkdir -p "$TMPDIR"
}

# A host path as Wine sees it on its Z: drive.
winepath_of() { printf 'Z:%s' "${1//\//\\}"; }

start_server() { "$here/wine-prefix.sh" start "$prefix" 120; }

make_template() {
  mkdir -p "$(dirname "$template")"
  exec 8>"$template.lock"
  flock 8
  if [ ! -f "$template/.zk-ready" ]; then
    mkdir -p "$template.tmp"
    TMPDIR=$template.tmp "$here/wine-prefix.sh" create "$template" 8>&-
  fi
  exec 8>&-
}

write_profile() {
  local name=$1 screen=$2
  [ -x "$zk_device" ] || die "no zk-device at $zk_device (build the host build, or set ZK_DEVICE)"
  local reg=$prefix/zk-profile.reg
  "$zk_device" profile "$name" --screen "$screen" --reg >"$reg" || exit 2
  printf '\n[HKEY_CURRENT_USER\\Software\\Morvane\\Zephyrkit\\Emulated ActiveSync]\n"DeviceRoot"="C:\\\\"\n' >>"$reg"
  start_server
  (cd "$drive" && "$wine" regedit /S "$(winepath_of "$reg")") </dev/null >/dev/null 2>&1 ||
    die "cannot write the profile into the registry"
  rm -f "$reg"
}

profile_options() {
  profile=ppc2003
  screen=qvga
  free_storage=
  while [ $# -gt 0 ]; do
    case "$1" in
      --profile) [ $# -ge 2 ] || usage; profile=$2; shift 2 ;;
      --screen) [ $# -ge 2 ] || usage; screen=$2; shift 2 ;;
      --free-storage)
        [ $# -ge 2 ] && [[ $2 =~ ^[0-9]+$ ]] || usage
        free_storage=$2; shift 2 ;;
      *) usage ;;
    esac
  done
}

# The C: drive as a volume of its own with `free_storage` bytes free: the
# device's files move onto a tmpfs, which is then shrunk to what they take
# and the free space asked for.
limit_storage() {
  if ! mountpoint -q "$drive"; then
    local moved=$prefix/drive_c.full
    mv "$drive" "$moved"
    mkdir "$drive"
    if ! mount -t tmpfs -o size=4g,mode=0755 zk-device "$drive" 2>/dev/null; then
      rmdir "$drive"
      mv "$moved" "$drive"
      die "a limited storage needs a tmpfs mount, which this machine does not allow"
    fi
    cp -a "$moved/." "$drive/"
    rm -rf "$moved"
  fi
  local used
  used=$(df --output=used -B1 "$drive" | tail -1 | tr -d ' ')
  mount -o "remount,size=$((used + free_storage))" "$drive" ||
    die "cannot size the device's volume"
}

# A limited device's volume goes with the device.
release_storage() {
  if mountpoint -q "$drive" 2>/dev/null; then umount "$drive" || umount -l "$drive"; fi
}

# Files below \Program Files, relative to it, one a line.
program_files() {
  (cd "$drive/Program Files" && find . -type f | sed 's#^\./##' | LC_ALL=C sort)
}

create_device() {
  profile_options "$@"
  local wceload=$windows_build/emulator/wceload/wceload.exe
  [ -f "$wceload" ] || die "no wceload.exe at $wceload (build the windows build's wceload target)"
  # Refuse a wrong profile before anything is removed.
  [ -x "$zk_device" ] || die "no zk-device at $zk_device (build the host build, or set ZK_DEVICE)"
  "$zk_device" profile "$profile" --screen "$screen" >/dev/null || exit 2

  make_template
  if [ -d "$prefix" ]; then
    use_prefix
    "$here/wine-prefix.sh" stop "$prefix"
    release_storage
  fi
  rm -rf "$prefix" "$prefix.tmp"
  cp -a "$template" "$prefix"
  use_prefix

  # Wine's C:\windows is the device's \Windows: names match without case.
  mkdir -p "$drive/Temp" "$drive/windows/StartUp" "$drive/Program Files" "$drive/My Documents"
  cp "$wceload" "$drive/windows/wceload.exe"
  # The desktop side: desktop programs run in the same prefix find the
  # emulated ActiveSync among the system's DLLs, connected to this device.
  local rapi=$windows_build/emulator/rapi/rapi.dll
  if [ -f "$rapi" ]; then cp "$rapi" "$drive/windows/system32/rapi.dll"; fi
  # Wine's own programs live in \Program Files too: the report leaves them out.
  program_files >"$prefix/.zk-program-files"
  write_profile "$profile" "$screen"
  if [ -n "$free_storage" ]; then
    "$here/wine-prefix.sh" stop "$prefix"
    limit_storage
  fi
  echo "wine-device: $prefix is a $profile device ($screen${free_storage:+, $free_storage bytes free})"
}

run_package() {
  [ $# -ge 1 ] || usage
  local package=$1
  shift
  [ -f "$drive/windows/wceload.exe" ] || die "$prefix is no Wine device (run create first)"
  [ -f "$package" ] || die "cannot read the package $package"
  local name
  name=$(basename "$package")
  cp "$package" "$drive/My Documents/$name"
  use_prefix
  start_server
  local status=0
  (cd "$drive" && exec "$wine" "C:\\My Documents\\$name" "$@") || status=$?
  return "$status"
}

put_file() {
  [ $# -eq 1 ] || usage
  [ -d "$drive/My Documents" ] || die "$prefix is no Wine device (run create first)"
  [ -f "$1" ] || die "cannot read $1"
  cp "$1" "$drive/My Documents/"
}

exec_program() {
  [ $# -ge 1 ] || usage
  local program=$1
  shift
  [ -f "$program" ] || die "cannot read the program $program"
  case "$program" in /*) ;; *) program=$PWD/$program ;; esac
  use_prefix
  start_server
  local status=0
  (cd "$drive" && exec "$wine" "$(winepath_of "$program")" "$@") || status=$?
  return "$status"
}

show_file() {
  local label=$1 path=$2
  echo "== $label"
  if [ -f "$path" ]; then
    tr -d '\r' <"$path"
  else
    echo "(none)"
  fi
}

report() {
  [ -d "$drive" ] || die "$prefix is no Wine device"
  show_file '\Temp\Zephyrkit.log' "$drive/Temp/Zephyrkit.log"
  show_file '\Windows\wceload.log' "$drive/windows/wceload.log"
  show_file '\Windows\reset.log' "$drive/windows/reset.log"
  echo '== \Program Files'
  local baseline=$prefix/.zk-program-files
  [ -f "$baseline" ] || : >"$baseline"
  program_files | LC_ALL=C comm -13 "$baseline" - | sed 's#/#\\#g'
}

case "$command" in
  create) create_device "$@" ;;
  profile)
    [ $# -ge 1 ] || usage
    [ -d "$drive" ] || die "$prefix is no Wine device"
    name=$1
    shift
    profile_options --profile "$name" "$@"
    use_prefix
    write_profile "$profile" "$screen"
    ;;
  storage)
    [ $# -eq 1 ] && [[ $1 =~ ^[0-9]+$ ]] || usage
    [ -d "$drive" ] || die "$prefix is no Wine device"
    free_storage=$1
    use_prefix
    "$here/wine-prefix.sh" stop "$prefix"
    limit_storage
    ;;
  run) run_package "$@" ;;
  put) put_file "$@" ;;
  exec) exec_program "$@" ;;
  report) report ;;
  stop)
    use_prefix
    "$here/wine-prefix.sh" stop "$prefix"
    release_storage
    ;;
  *) usage ;;
esac
