#!/usr/bin/env bash
# The main job on a fresh machine: set-up, build, then make the sample project
# (three cabinets for different OS ranges, a EULA, a read-me and a splash
# image) and build its installers with `zephyrkit -silent`.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/setup-host.sh
cmake --preset host >/dev/null
cmake --build --preset host -j "$(nproc)"
program="$root/build/host/program"
cmake --install build/host --prefix "$program" >/dev/null

sample="$root/build/sample"
rm -rf "$sample"
mkdir -p "$sample/out"
cd "$sample"
python3 "$root/tools/make_ce_cab.py" Viewer2002.cab --app-name "Viewer 2002" --provider Morvane \
  --os-min 3.0 --os-max 4.10 --payload viewer.exe:60000 --payload viewer.hlp:8000
python3 "$root/tools/make_ce_cab.py" Viewer2003.cab --app-name "Viewer 2003" --provider Morvane \
  --os-min 4.20 --os-max 5.1 --payload viewer.exe:90000 --compress
python3 "$root/tools/make_ce_cab.py" ViewerWM5.cab --app-name "Viewer WM5" --provider Morvane \
  --xml-only --os-min 5.1 --payload viewer.exe:120000 --compress
printf 'End-user licence agreement of the Zephyrkit sample.\r\n' > eula.txt
printf 'Read me: the Zephyrkit sample installs one of three viewers.\r\n' > readme.txt
python3 "$root/tools/make_bitmap.py" splash.bmp

"$root/build/host/tools/zk-sample-project" "$sample/Sample.paw" \
  --title "Zephyrkit Sample" --company "Morvane" --output "$sample/out" \
  --eula "$sample/eula.txt" --readme "$sample/readme.txt" --splash "$sample/splash.bmp" \
  --removable-card \
  "$sample/Viewer2002.cab:2002" "$sample/Viewer2003.cab:2003SE,5" "$sample/ViewerWM5.cab:5"

set +e
"$program/zephyrkit" -silent "$sample/Sample.paw"
status=$?
set -e
echo
if [ "$status" -eq 1 ]; then
  echo "Installers built:"
  find "$sample/out" -type f | sort
else
  echo "The build did not finish (see the message above). Until the device programs"
  echo "MobileZephyrkit.exe and SystemInfo.dat are built, the program folder"
  echo "$program holds only the host programs."
fi
