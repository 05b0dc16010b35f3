#!/usr/bin/env bash
# The main job on a fresh machine: set-up, build, then make the sample project
# (three cabinets for different OS ranges, a EULA, a read-me and a splash
# image), build its installers with `zephyrkit -silent`, and install the
# device installer on a Wine device that plays a Pocket PC.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup-host.sh
cmake --preset host >/dev/null
cmake --build --preset host -j "$(nproc)"
# The host install: commands in bin/, the program folder in lib/zephyrkit.
install_root="$root/build/host/program"
rm -rf "$install_root"
cmake --install build/host --prefix "$install_root" >/dev/null
program="$install_root/lib/zephyrkit"

# The windows program folder: Zephyrkit.exe and its build inputs, which serve
# the host zephyrkit too: the device installer stub, the desktop one and
# SystemInfo.dat (the device tool, zipped by our own writer).
"$root/scripts/windows-program.sh"
for input in MobileZephyrkit.exe DesktopZephyrkit.exe SystemInfo.dat; do
  if [ -f "$root/build/windows/program/$input" ]; then cp "$root/build/windows/program/$input" "$program/"; fi
done

sample="$root/build/sample"
rm -rf "$sample"
mkdir -p "$sample/out"
cd "$sample"
python3 "$root/tools/make_ce_cab.py" Viewer2002.cab --app-name "Viewer 2002" --provider Morvane \
  --os-min 3.0 --os-max 3.99 --payload viewer.exe:60000 --payload viewer.hlp:8000 >/dev/null
python3 "$root/tools/make_ce_cab.py" Viewer2003.cab --app-name "Viewer 2003" --provider Morvane \
  --os-min 4.0 --os-max 4.99 --payload viewer.exe:90000 --compress >/dev/null
python3 "$root/tools/make_ce_cab.py" ViewerWM5.cab --app-name "Viewer WM5" --provider Morvane \
  --xml-only --xml-app-value "ViewerWM5 Morvane" --os-min 5.0 --payload viewer.exe:120000 \
  --compress >/dev/null
printf 'End-user licence agreement of the Zephyrkit sample.\r\n' > eula.txt
printf 'Read me: the Zephyrkit sample installs one of three viewers.\r\n' > readme.txt
python3 "$root/tools/make_bitmap.py" splash.bmp

# The project, made the way the wizard's first three steps would make it.
project="$program/zephyrkit-project"
"$project" new "$sample/Sample.paw" --title "Zephyrkit Sample" --company "Morvane" \
  --output "$sample/out" --eula eula.txt --readme readme.txt --splash splash.bmp \
  --removable-card yes --os-filter 2002,2003,2003se,wm5
"$project" add "$sample/Sample.paw" Viewer2002.cab Viewer2003.cab ViewerWM5.cab
"$project" check "$sample/Sample.paw"
"$project" show "$sample/Sample.paw" | sed -n '/Number of entries/,$p'
echo

set +e
"$program/zephyrkit" -silent "$sample/Sample.paw"
status=$?
set -e
echo
if [ "$status" -ne 1 ]; then
  echo "The build did not finish (see the message above)."
  exit 1
fi
echo "Installers built:"
find "$sample/out" -type f | sort
echo

# The desktop installer on a Wine device that plays a Pocket PC 2003 SE
# (which suits one of the three cabinets) and the desktop it is connected
# to: silently, it sends its device installer over the emulated ActiveSync
# and starts it on the device; a driver then presses the device's keys as a
# user would: Start on the welcome page, Next after the EULA, Finish once
# installed (the read-me shows then).
desktop=$(find "$sample/out" -name '*.\[DESKTOP\].exe' | head -n 1)
device="$sample/device"
driver="$root/build/windows/tests/windows/device_driver.exe"
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$display_file" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
trap 'scripts/wine-device.sh stop "$device" >/dev/null 2>&1 || true; kill $xvfb_pid 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$display_file")
rm -f "$display_file"
cd "$root"
scripts/wine-device.sh create "$device" --profile ppc2003se
echo "$(basename "$desktop") /s: the device installer goes to the device over ActiveSync"
scripts/wine-device.sh exec "$device" "$desktop" /s
echo "On the device: Start, Next, Finish"
scripts/wine-device.sh exec "$device" "$driver" attach "title Morvane Zephyrkit Sample" \
  "press 40011" "html-has licence" "press 40007" "html visible" "html-has Read me" \
  "press 40017" "exit 0"
echo
scripts/wine-device.sh report "$device"
