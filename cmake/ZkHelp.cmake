# The manual, Help/ZEPHYRKIT.CHM in the program folder, compiled from the
# pages in docs/help with chmcmd (Free Pascal's CHM compiler). Pictures of
# docs/screenshots that are not there yet only warn.
find_program(ZK_CHMCMD chmcmd)
find_program(ZK_CHMLS chmls)
find_package(Python3 COMPONENTS Interpreter QUIET)
if(NOT ZK_CHMCMD OR NOT Python3_Interpreter_FOUND)
  message(WARNING "chmcmd (fp-utils) or python3 is missing: no help file. "
                  "scripts/setup-host.sh installs them.")
  return()
endif()

file(GLOB zk_help_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/help/*)
file(GLOB zk_screenshots CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/screenshots/*.png)
set(ZK_HELP_FILE ${CMAKE_BINARY_DIR}/Help/ZEPHYRKIT.CHM)
add_custom_command(OUTPUT ${ZK_HELP_FILE}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/build_help.py
          --source ${PROJECT_SOURCE_DIR}/docs/help
          --screenshots ${PROJECT_SOURCE_DIR}/docs/screenshots
          --work ${CMAKE_BINARY_DIR}/help-stage --output ${ZK_HELP_FILE} --chmcmd ${ZK_CHMCMD}
  DEPENDS ${zk_help_sources} ${zk_screenshots} ${PROJECT_SOURCE_DIR}/tools/build_help.py
  COMMENT "Compiling the manual Help/ZEPHYRKIT.CHM")
add_custom_target(help_file ALL DEPENDS ${ZK_HELP_FILE})
install(FILES ${ZK_HELP_FILE} DESTINATION ${ZK_PROGRAM_DIR}/Help)
