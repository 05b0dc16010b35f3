# The program folder: the wizard finds its build inputs beside itself. The
# emulated device (zk-device, wceload.exe, rapi.dll) never goes there: it
# stays in the build tree (emulator/).
foreach(program zephyrkit zephyrkit-cab zephyrkit-project zephyrkit-package)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION .)
  endif()
endforeach()
