# Third-party libraries: Debian's packages on the host; on Windows the
# cross-built prefix made by scripts/windows-deps.sh (see the toolchain file).
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(pugixml REQUIRED)
pkg_check_modules(MSPACK REQUIRED IMPORTED_TARGET libmspack)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
# Imported pkg-config targets are interface targets: tie zlib to minizip so the
# link order puts it after.
# On Windows only the device programs read zips, and they take zlib's inflate
# side built small (scripts/windows-deps.sh); the desktop keeps the full zlib.
if(WIN32)
  find_library(ZK_ZINFLATE zinflate REQUIRED)
  set(ZK_DEVICE_ZLIB ${ZK_ZINFLATE})
else()
  set(ZK_DEVICE_ZLIB ZLIB::ZLIB)
endif()
target_link_libraries(PkgConfig::MINIZIP INTERFACE ${ZK_DEVICE_ZLIB})
# Header-only.
find_package(nlohmann_json 3.10 REQUIRED)
# The local download server (zephyrkit-project serve); host only. Debian
# builds it as a library whose header must see the same definitions, which
# pkg-config gives.
if(NOT WIN32)
  pkg_check_modules(HTTPLIB IMPORTED_TARGET cpp-httplib)
  if(NOT HTTPLIB_FOUND)
    message(FATAL_ERROR "cpp-httplib is missing; zephyrkit-project serve is built on it. "
                        "scripts/setup-host.sh installs it (libcpp-httplib-dev).")
  endif()
endif()
