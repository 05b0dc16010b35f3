#!/usr/bin/env bash
# Cross-builds the third-party libraries of the windows build from Debian's
# source packages into a prefix inside the build tree:
#
#   scripts/windows-deps.sh [BUILD_DIR]     (default build/windows)
#
# gives BUILD_DIR/deps/{include,lib,lib/pkgconfig} with libmspack (cabinet
# decompressor only), minizip (zlib's contrib/minizip, unzip side), zinflate
# (zlib's inflate side, small, for the device programs) and pugixml. The
# desktop's zlib is Debian's libz-mingw-w64-dev and GoogleTest is built by
# CMake from /usr/src/googletest. A prefix that is already complete for
# this recipe is reused as it stands.
#
# The sources come through scripts/debian-sources.sh, an apt configuration of
# our own below BUILD_DIR/deps-src: nothing in /etc/apt is read or changed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/debian-sources.sh

build_dir=${1:-build/windows}
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
prefix=$build_dir/deps
work=$build_dir/deps-src
triple=x86_64-w64-mingw32
cc=$triple-gcc-posix
cxx=$triple-g++-posix
ar=$triple-ar

# Bump when the recipe changes so that older prefixes are rebuilt.
recipe=5
stamp=$prefix/.complete
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "windows-deps: reusing $prefix"
  exit 0
fi

for tool in "$cc" "$cxx" "$ar" dpkg-source cmake; do
  command -v "$tool" >/dev/null || { echo "windows-deps: $tool is missing (run scripts/setup-windows.sh)" >&2; exit 1; }
done

start=$(date +%s)
rm -rf "$prefix" "$work"
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"

echo "windows-deps: fetching libmspack, zlib and pugixml"
fetch_debian_sources "$work" libmspack zlib pugixml
mspack_src=$(unpacked_source "$work" 'libmspack-*')
zlib_src=$(unpacked_source "$work" 'zlib-*')
pugixml_src=$(unpacked_source "$work" 'pugixml-*')

# libmspack: the cabinet decompressor and what it needs. mingw's off_t is
# 32 bits unless asked otherwise, and a library and a caller that disagree
# about it open cabinets but list no files: the flag goes into the .pc too.
mspack_flags=(-O2 -D_FILE_OFFSET_BITS=64 -DSIZEOF_OFF_T=8 -DHAVE_FSEEKO=1
  -DHAVE_INTTYPES_H=1 -DHAVE_LIMITS_H=1 -DHAVE_STRING_H=1 -DHAVE_STDLIB_H=1)
mspack_dir=$mspack_src
[ -d "$mspack_dir/mspack" ] || mspack_dir=$(find "$mspack_src" -maxdepth 2 -type d -name mspack -printf '%h\n' | head -n 1)
mkdir -p "$work/obj/mspack"
for f in cabd mszipd qtmd lzxd system; do
  "$cc" "${mspack_flags[@]}" -I"$mspack_dir" -I"$mspack_dir/mspack" -c "$mspack_dir/mspack/$f.c" -o "$work/obj/mspack/$f.o"
done
"$ar" rcs "$prefix/lib/libmspack.a" "$work/obj/mspack/"*.o
install -m 644 "$mspack_dir/mspack/mspack.h" "$prefix/include/mspack.h"
mspack_version=$(basename "$mspack_src" | sed 's/^libmspack-//')
cat >"$prefix/lib/pkgconfig/libmspack.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: libmspack
Description: Microsoft cabinet decompressor (cross-built)
Version: $mspack_version
Libs: -L\${libdir} -lmspack
Cflags: -I\${includedir} -D_FILE_OFFSET_BITS=64
PC

# minizip: the unzip side of zlib's contrib/minizip, and zinflate: zlib's
# inflate side. Only the device programs use them, and the device stub must
# fit within its first-section offset: both are built for size, and the CRC
# tables are made at run time (into memory that takes no room in the file)
# rather than carried, without the braided tables of the fast CRC.
minizip_dir=$zlib_src/contrib/minizip
mkdir -p "$work/obj/minizip" "$work/obj/zinflate" "$prefix/include/minizip"
small=(-Os -ffunction-sections -fdata-sections)
for f in unzip ioapi; do
  "$cc" "${small[@]}" -I/usr/$triple/include -c "$minizip_dir/$f.c" -o "$work/obj/minizip/$f.o"
done
for f in adler32 crc32 inffast inflate inftrees zutil; do
  "$cc" "${small[@]}" -DDYNAMIC_CRC_TABLE -DZ_TESTW=0 -I"$zlib_src" -c "$zlib_src/$f.c" \
    -o "$work/obj/zinflate/$f.o"
done
"$ar" rcs "$prefix/lib/libzinflate.a" "$work/obj/zinflate/"*.o
"$ar" rcs "$prefix/lib/libminizip.a" "$work/obj/minizip/"*.o
install -m 644 "$minizip_dir/unzip.h" "$minizip_dir/ioapi.h" "$prefix/include/minizip/"
zlib_version=$(basename "$zlib_src" | sed 's/^zlib-//')
cat >"$prefix/lib/pkgconfig/minizip.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: minizip
Description: zlib's contributed unzip code (cross-built)
Version: $zlib_version
Libs: -L\${libdir} -lminizip
Cflags: -I\${includedir}/minizip
PC

# pugixml with its own CMake, as a static library.
cmake -S "$pugixml_src" -B "$work/pugixml-build" -G Ninja \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86_64 \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_RC_COMPILER="$triple-windres" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >"$work/pugixml.log" 2>&1 ||
  { cat "$work/pugixml.log" >&2; exit 1; }
cmake --build "$work/pugixml-build" --target install >>"$work/pugixml.log" 2>&1 ||
  { cat "$work/pugixml.log" >&2; exit 1; }

# nlohmann JSON: headers and CMake package, which finds its headers relative
# to itself, so in the prefix.
[ -f /usr/include/nlohmann/json.hpp ] ||
  { echo "windows-deps: nlohmann-json3-dev is missing (run scripts/setup-host.sh)" >&2; exit 1; }
cp -r /usr/include/nlohmann "$prefix/include/"
mkdir -p "$prefix/share/cmake"
cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"

echo "$recipe" >"$stamp"
echo "windows-deps: built $prefix in $(( $(date +%s) - start )) s" \
  "(libmspack $mspack_version, minizip of zlib $zlib_version, $(basename "$pugixml_src"))"
# Keep the unpacked sources out of the way of a later clean: they are
# re-fetched only when the recipe changes.
rm -rf "$work/obj" "$work/pugixml-build"
