# Toolchain for the windows build: mingw-w64 x86_64 with posix threads and a
# static runtime, so that every program imports system DLLs only.
#
# The third-party libraries come from the prefix that scripts/windows-deps.sh
# cross-builds into the build tree (ZK_WINDOWS_DEPS, default <build>/deps);
# zlib is Debian's libz-mingw-w64-dev. Test programs run under Wine through
# CMAKE_CROSSCOMPILING_EMULATOR (cmake/wine-run.sh, configured per build).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZK_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${ZK_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${ZK_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(ZK_MINGW_OBJDUMP ${ZK_MINGW_TRIPLE}-objdump)
set(ZK_MINGW_STRIP ${ZK_MINGW_TRIPLE}-strip)

# try_compile re-reads this file in a scratch project without our -D values.
if(NOT DEFINED ZK_WINDOWS_DEPS)
  set(ZK_WINDOWS_DEPS ${CMAKE_BINARY_DIR}/deps)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZK_WINDOWS_DEPS)

set(ZK_MINGW_SYSROOT /usr/${ZK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH ${ZK_MINGW_SYSROOT} ${ZK_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH ${ZK_WINDOWS_DEPS})

# Only the cross-built .pc files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR} ${ZK_WINDOWS_DEPS}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")

# The static archive: FindZLIB would otherwise take libz.dll.a and every
# program would import zlib1.dll, which Wine supplies silently.
set(ZLIB_INCLUDE_DIR ${ZK_MINGW_SYSROOT}/include CACHE PATH "")
set(ZLIB_LIBRARY ${ZK_MINGW_SYSROOT}/lib/libz.a CACHE FILEPATH "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# -O2 as in the host build: at -O3 GCC 12 reports overlapping copies inside
# std::string's operator+ that cannot happen (-Wrestrict, GCC bug 105329), and
# our warnings are errors.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
