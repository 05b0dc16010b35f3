cmake_minimum_required(VERSION 3.25)  # no symbolic links followed (a prefix links Z: to /)
# cmake -DOBJDUMP=... -DFOLDER=... [-DPROGRAMS=a.exe;b.exe] -P check-imports.cmake
#
# Fails unless every Windows program (the given ones, or every .exe and .dll
# below FOLDER outside the Wine prefix) imports system DLLs only. The DLLs we
# build (the emulated ActiveSync's rapi.dll) keep the same rule: they are
# loaded beside our programs, where our runtime's DLLs are not. Wine supplies
# some DLLs that Windows lacks (zlib1.dll among them): a program that runs
# under Wine proves nothing about its imports.
set(system_dlls
  advapi32 comctl32 comdlg32 gdi32 kernel32 msimg32 msvcrt ole32 oleaut32 shell32
  shlwapi user32 winmm version)

if(NOT PROGRAMS)
  # Our programs: the Wine prefix and the third-party sources are not.
  file(GLOB top LIST_DIRECTORIES true ${FOLDER}/*)
  list(FILTER top EXCLUDE REGEX "/(wineprefix|deps|deps-src|CMakeFiles)$")
  set(PROGRAMS "")
  foreach(entry IN LISTS top)
    if(IS_DIRECTORY ${entry})
      file(GLOB_RECURSE found LIST_DIRECTORIES false ${entry}/*.exe ${entry}/*.dll)
      # Wine devices made by tests and scripts hold Wine's own programs; the
      # installers tests build are packages, often around a stand-in stub.
      list(FILTER found EXCLUDE REGEX "/drive_c/")
      list(FILTER found EXCLUDE REGEX "\\[(MOBILE|DESKTOP)\\]\\.exe$|/autorun\\.exe$")
      list(APPEND PROGRAMS ${found})
    elseif(entry MATCHES "\\.(exe|dll)$")
      list(APPEND PROGRAMS ${entry})
    endif()
  endforeach()
endif()
list(LENGTH PROGRAMS count)
if(count EQUAL 0)
  message(FATAL_ERROR "no programs to check below ${FOLDER}")
endif()

set(bad "")
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE result
                  ERROR_QUIET)
  if(NOT result EQUAL 0)
    # Tests running beside this one make and delete packages in the build
    # tree; a file gone by now was one of those, not a program of the build.
    if(NOT EXISTS ${program})
      continue()
    endif()
    # ... and a file being written has no program header yet.
    file(READ ${program} head LIMIT 2 HEX)
    if(NOT head STREQUAL "4d5a")
      continue()
    endif()
    list(APPEND bad "${program}: objdump failed")
    continue()
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
  foreach(line IN LISTS names)
    string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    string(REGEX REPLACE "\\.dll$" "" lower "${lower}")
    if(NOT lower IN_LIST system_dlls AND NOT lower MATCHES "^api-ms-win-")
      list(APPEND bad "${program} imports ${dll}")
    endif()
  endforeach()
endforeach()

if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "programs importing DLLs that are not part of Windows:\n  ${text}")
endif()
message(STATUS "${count} programs import system DLLs only")
