# GoogleTest from the sources Debian ships, built with our compiler and flags.
if(NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
include(GoogleTest)

find_package(Python3 COMPONENTS Interpreter)

# zk_test(NAME SOURCES... LIBS ...): one test program per library.
function(zk_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  zk_strict(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zk_test_support gmock gtest_main)
  target_compile_definitions(${name} PRIVATE
    ZK_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    ZK_TESTDATA_DIR="${PROJECT_SOURCE_DIR}/../shared/testdata")
  # Each case carries its program's name as a label, so that a preset can run
  # the cases of a few programs (the ThreadSanitizer one does).
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZK_BINARY_DIR=${CMAKE_BINARY_DIR}" LABELS ${name})
endfunction()
