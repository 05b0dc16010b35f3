# Third-party libraries: Debian's packages on the host; on Windows the
# cross-built prefix made by scripts/windows-deps.sh (see the toolchain file).
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(pugixml REQUIRED)
pkg_check_modules(MSPACK REQUIRED IMPORTED_TARGET libmspack)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
# Imported pkg-config targets are interface targets: tie zlib to minizip so the
# link order puts it after.
target_link_libraries(PkgConfig::MINIZIP INTERFACE ZLIB::ZLIB)
# Header-only.
find_package(nlohmann_json 3.10 REQUIRED)
