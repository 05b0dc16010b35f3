# cmake -DFILE=f -DLENGTH=n -P check-length.cmake: the file is exactly n bytes.
file(SIZE "${FILE}" size)
if(NOT size EQUAL LENGTH)
  message(FATAL_ERROR "${FILE} is ${size} bytes, not ${LENGTH}")
endif()
