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

# The windows program folder: Zephyrkit.exe and its build inputs. Its
# SystemInfo.dat (the device tool, zipped by our own writer) serves the host
# zephyrkit too.
"$root/scripts/windows-program.sh"
cp "$root/build/windows/program/SystemInfo.dat" "$program/"

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
if [ "$status" -eq 1 ]; then
  echo "Installers built:"
  find "$sample/out" -type f | sort
else
  echo "The build did not finish (see the message above): the device installer stub"
  echo "MobileZephyrkit.exe and the desktop stub DesktopZephyrkit.exe are not built yet,"
  echo "so $program holds the host programs and SystemInfo.dat only."
fi
