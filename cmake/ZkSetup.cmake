# The Windows set-up program, Zephyrkit-<version>-setup.exe, made with
# makensis from packaging/windows/zephyrkit.nsi over the program folder that
# `cmake --install` lays out. Built on request (target "setup", which
# scripts/windows-program.sh asks for) once the programs exist.
find_program(ZK_MAKENSIS makensis)
if(NOT ZK_MAKENSIS)
  message(WARNING "makensis (nsis) is missing: no set-up program. "
                  "scripts/setup-windows.sh installs it.")
  return()
endif()
if(NOT TARGET help_file)
  message(WARNING "No help file to install: no set-up program.")
  return()
endif()

set(ZK_SETUP_PROGRAM ${CMAKE_BINARY_DIR}/Zephyrkit-${PROJECT_VERSION}-setup.exe)
set(zk_setup_stage ${CMAKE_BINARY_DIR}/setup-stage)
add_custom_command(OUTPUT ${ZK_SETUP_PROGRAM}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${zk_setup_stage}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${zk_setup_stage}
  COMMAND ${ZK_MAKENSIS} -V2 -WX -DVERSION=${PROJECT_VERSION} -DPROGRAM_DIR=${zk_setup_stage}
          -DOUTFILE=${ZK_SETUP_PROGRAM} ${PROJECT_SOURCE_DIR}/packaging/windows/zephyrkit.nsi
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/windows/zephyrkit.nsi zephyrkit MobileZephyrkit
          DesktopZephyrkit system_info_dat help_file
  COMMENT "Making the set-up program Zephyrkit-${PROJECT_VERSION}-setup.exe")
add_custom_target(setup DEPENDS ${ZK_SETUP_PROGRAM})
