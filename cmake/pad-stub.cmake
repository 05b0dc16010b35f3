# cmake -DSTUB=file -DLENGTH=n -P pad-stub.cmake
#
# The device stub reads its own file from a fixed offset, the first-section
# constant, so the stub file must be exactly that long: pads the linked stub
# with zeros to LENGTH bytes (the loader ignores bytes after the last
# section), and fails when the image is already longer.
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${STUB}")
  message(FATAL_ERROR "no stub at ${STUB}")
endif()
file(SIZE "${STUB}" size)
if(size GREATER LENGTH)
  message(FATAL_ERROR "the stub ${STUB} is ${size} bytes, more than its first-section offset "
                      "of ${LENGTH}: make it smaller or raise MOBILE_STUB_FIRST_SECTION_OFFSET")
endif()
if(size LESS LENGTH)
  execute_process(COMMAND truncate -s ${LENGTH} "${STUB}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "could not pad ${STUB}")
  endif()
endif()
file(SIZE "${STUB}" size)
if(NOT size EQUAL LENGTH)
  message(FATAL_ERROR "${STUB} is ${size} bytes after padding, not ${LENGTH}")
endif()
