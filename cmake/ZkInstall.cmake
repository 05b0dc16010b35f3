# The program folder: the wizard finds its build inputs beside itself.
if(TARGET zephyrkit)
  install(TARGETS zephyrkit RUNTIME DESTINATION .)
endif()
if(TARGET zephyrkit-cab)
  install(TARGETS zephyrkit-cab RUNTIME DESTINATION .)
endif()
