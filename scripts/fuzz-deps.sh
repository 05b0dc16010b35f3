#!/usr/bin/env bash
# Builds the third-party readers the fuzz targets go through — libmspack's
# cabinet decompressor, zlib, minizip (zlib's contrib/minizip, unzip side) and
# pugixml — from Debian's source packages with clang's coverage and
# AddressSanitizer instrumentation, into a prefix the fuzz preset looks in
# first:
#
#   scripts/fuzz-deps.sh [BUILD_DIR [SANITIZER]]  (default build/fuzz address)
#
# gives BUILD_DIR/deps/{include,lib,lib/pkgconfig,lib/cmake}. SANITIZER
# "none" leaves AddressSanitizer out, for the fuzz-fast preset
# (build/fuzz-fast): its libraries must not call into a runtime its
# programs do not link. Debian's own
# builds of these libraries carry no coverage counters: libFuzzer could not
# tell a new path through the cabinet decoders or the zip reader from an old
# one, and AddressSanitizer would not see inside them. UndefinedBehavior-
# Sanitizer is left to our code, so that a finding is ours to fix.
#
# The sources come through scripts/debian-sources.sh, an apt configuration of
# our own below BUILD_DIR/deps-src: nothing in /etc/apt is read or changed.
# A complete prefix is reused.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/debian-sources.sh

build_dir=${1:-build/fuzz}
sanitizer=${2:-address}
case "$sanitizer" in
  address) sanitize=fuzzer-no-link,address ;;
  none) sanitize=fuzzer-no-link ;;
  *) echo "fuzz-deps: SANITIZER is address or none, not $sanitizer" >&2; exit 1 ;;
esac
mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
prefix=$build_dir/deps
work=$build_dir/deps-src

# Bump when the recipe changes so that older prefixes are rebuilt.
recipe="2 $sanitizer"
stamp=$prefix/.complete
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
  echo "fuzz-deps: reusing $prefix"
  exit 0
fi
for tool in clang clang++ ar dpkg-source cmake; do
  command -v "$tool" >/dev/null || { echo "fuzz-deps: $tool is missing (run scripts/setup-fuzz.sh)" >&2; exit 1; }
done

start=$(date +%s)
rm -rf "$prefix" "$work"
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig" "$work/obj"

echo "fuzz-deps: fetching libmspack, zlib and pugixml"
fetch_debian_sources "$work" libmspack zlib pugixml
mspack_src=$(unpacked_source "$work" 'libmspack-*')
zlib_src=$(unpacked_source "$work" 'zlib-*')
pugixml_src=$(unpacked_source "$work" 'pugixml-*')

flags=(-O1 -g -fno-omit-frame-pointer -fsanitize=$sanitize)
ar=ar

# libmspack: the cabinet decompressor and what it needs.
mspack_dir=$mspack_src
[ -d "$mspack_dir/mspack" ] || mspack_dir=$(find "$mspack_src" -maxdepth 2 -type d -name mspack -printf '%h\n' | head -n 1)
mkdir -p "$work/obj/mspack"
for f in cabd mszipd qtmd lzxd system; do
  clang "${flags[@]}" -DHAVE_FSEEKO=1 -DHAVE_INTTYPES_H=1 -DHAVE_LIMITS_H=1 -DHAVE_STRING_H=1 \
    -DHAVE_STDLIB_H=1 -I"$mspack_dir" -I"$mspack_dir/mspack" \
    -c "$mspack_dir/mspack/$f.c" -o "$work/obj/mspack/$f.o"
done
"$ar" rcs "$prefix/lib/libmspack.a" "$work/obj/mspack/"*.o
install -m 644 "$mspack_dir/mspack/mspack.h" "$prefix/include/mspack.h"
cat >"$prefix/lib/pkgconfig/libmspack.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: libmspack
Description: Microsoft cabinet decompressor (instrumented for fuzzing)
Version: $(basename "$mspack_src" | sed 's/^libmspack-//')
Libs: -L\${libdir} -lmspack
Cflags: -I\${includedir}
PC

# zlib whole (the zip writer deflates), then minizip's unzip side over it.
mkdir -p "$work/obj/zlib" "$work/obj/minizip" "$prefix/include/minizip"
for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
         inftrees trees uncompr zutil; do
  clang "${flags[@]}" -D_LARGEFILE64_SOURCE=1 -I"$zlib_src" -c "$zlib_src/$f.c" -o "$work/obj/zlib/$f.o"
done
"$ar" rcs "$prefix/lib/libz.a" "$work/obj/zlib/"*.o
install -m 644 "$zlib_src/zlib.h" "$zlib_src/zconf.h" "$prefix/include/"
minizip_dir=$zlib_src/contrib/minizip
for f in unzip ioapi; do
  clang "${flags[@]}" -I"$prefix/include" -c "$minizip_dir/$f.c" -o "$work/obj/minizip/$f.o"
done
"$ar" rcs "$prefix/lib/libminizip.a" "$work/obj/minizip/"*.o
install -m 644 "$minizip_dir/unzip.h" "$minizip_dir/ioapi.h" "$prefix/include/minizip/"
cat >"$prefix/lib/pkgconfig/minizip.pc" <<PC
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: minizip
Description: zlib's contributed unzip code (instrumented for fuzzing)
Version: $(basename "$zlib_src" | sed 's/^zlib-//')
Libs: -L\${libdir} -lminizip
Cflags: -I\${includedir}/minizip
PC

# pugixml with its own CMake, as a static library.
cmake -S "$pugixml_src" -B "$work/pugixml-build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="${flags[*]}" -DCMAKE_BUILD_TYPE=None \
  -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >"$work/pugixml.log" 2>&1 ||
  { cat "$work/pugixml.log" >&2; exit 1; }
cmake --build "$work/pugixml-build" --target install >>"$work/pugixml.log" 2>&1 ||
  { cat "$work/pugixml.log" >&2; exit 1; }

echo "$recipe" >"$stamp"
echo "fuzz-deps: built $prefix in $(( $(date +%s) - start )) s" \
  "(libmspack, zlib and minizip of $(basename "$zlib_src"), $(basename "$pugixml_src"))"
rm -rf "$work/obj" "$work/pugixml-build"
