# The device stub's length rule: the stub file is exactly as long as the
# first-section offset it reads its sections from. The constant is read from
# common/package_layout.h, its one home.
function(zk_read_layout_constant name)
  file(STRINGS ${PROJECT_SOURCE_DIR}/common/package_layout.h line REGEX "${name} = [0-9]+")
  string(REGEX MATCH "${name} = ([0-9]+)" match "${line}")
  if(NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "${name} not found in common/package_layout.h")
  endif()
  set(ZK_${name} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

zk_read_layout_constant(MOBILE_STUB_FIRST_SECTION_OFFSET)
# The desktop stub reads its one section at its own padded length.
zk_read_layout_constant(DESKTOP_STUB_FIRST_SECTION_OFFSET)

# A changed constant must reach the padding.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/common/package_layout.h)

# zk_pad_stub(target [LENGTH n]): links the program stripped (symbols would
# only take room) and pads it after every link; the build fails when the
# linked image is longer than the offset.
function(zk_pad_stub target)
  cmake_parse_arguments(ARG "" "LENGTH" "" ${ARGN})
  if(NOT ARG_LENGTH)
    set(ARG_LENGTH ${ZK_MOBILE_STUB_FIRST_SECTION_OFFSET})
  endif()
  target_link_options(${target} PRIVATE -s)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DSTUB=$<TARGET_FILE:${target}> -DLENGTH=${ARG_LENGTH}
            -P ${PROJECT_SOURCE_DIR}/cmake/pad-stub.cmake
    COMMENT "Padding ${target} to its first-section offset (${ARG_LENGTH} bytes)"
    VERBATIM)
endfunction()
