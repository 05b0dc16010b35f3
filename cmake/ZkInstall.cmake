# The program folder: the wizard finds its build inputs beside itself.
foreach(program zephyrkit zephyrkit-cab zephyrkit-project zk-device)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
