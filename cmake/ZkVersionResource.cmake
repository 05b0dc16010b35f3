# zk_version_resource(TARGET FILE_NAME DESCRIPTION): gives a Windows program a
# VERSIONINFO resource carrying the project's version (windows build only).
function(zk_version_resource target file_name description)
  if(NOT WIN32)
    return()
  endif()
  set(ZK_RC_NAME ${target})
  set(ZK_RC_FILE_NAME ${file_name})
  set(ZK_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
