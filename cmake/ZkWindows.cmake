# The windows build: running its programs under Wine, and the checks that
# only a cross-built program needs.
if(NOT CMAKE_CROSSCOMPILING OR NOT WIN32)
  return()
endif()

# The cross-built libraries: made on first configure, and again when their
# recipe changes; otherwise the script only checks its stamp.
if(ZK_WINDOWS_DEPS STREQUAL "${CMAKE_BINARY_DIR}/deps")
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/windows-deps.sh ${CMAKE_BINARY_DIR}
                  RESULT_VARIABLE deps_result)
  if(NOT deps_result EQUAL 0)
    message(FATAL_ERROR "scripts/windows-deps.sh failed")
  endif()
elseif(NOT EXISTS ${ZK_WINDOWS_DEPS}/.complete)
  message(FATAL_ERROR "${ZK_WINDOWS_DEPS} holds no cross-built libraries")
endif()

find_program(ZK_WINE NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ZK_WINE NAMES wine64 wine)
find_program(ZK_WINESERVER NAMES wineserver wineserver64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ZK_WINESERVER NAMES wineserver wineserver64)
if(NOT ZK_WINE OR NOT ZK_WINESERVER)
  message(FATAL_ERROR "wine64 is missing: run scripts/setup-windows.sh")
endif()

set(ZK_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the windows tests")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

# Listing a test program's cases needs Wine and its prefix: do it when CTest
# runs, not after every link.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

include(ZkStub)
