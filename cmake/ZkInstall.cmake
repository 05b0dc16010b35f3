# What `cmake --install` lays out.
#
# Windows: the program folder itself (the prefix), as the set-up program
# installs it: Zephyrkit.exe with its build inputs, Images\ and Help\ beside
# it. The emulated device (zk-device, wceload.exe, rapi.dll) never goes there.
#
# Linux: the program folder is lib/zephyrkit (the host zephyrkit finds its
# build inputs beside its own resolved file), bin/ holds links to the
# commands, share/man/man1 a page per command made by help2man from its
# --help (gzipped without name or time, so that it is the same bytes each
# time), share/doc/zephyrkit the copyright file and changelog Debian asks
# of every package (packaging/debian). zk-device is a command of its own in bin/: it plays a device and
# has no use for the program folder. The build inputs MobileZephyrkit.exe,
# DesktopZephyrkit.exe and SystemInfo.dat are Windows programs: they come
# from the windows build's program folder when it has been made.
if(WIN32)
  set(ZK_PROGRAM_DIR .)
else()
  set(ZK_PROGRAM_DIR lib/zephyrkit)
endif()

foreach(program zephyrkit zephyrkit-cab zephyrkit-project zephyrkit-package)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${ZK_PROGRAM_DIR})
  endif()
endforeach()

include(ZkHelp)

if(WIN32)
  include(ZkSetup)
  return()
endif()

install(TARGETS zk-device RUNTIME DESTINATION bin)

set(ZK_WINDOWS_PROGRAM_DIR ${PROJECT_SOURCE_DIR}/build/windows/program CACHE PATH
    "The windows program folder whose build inputs the Linux install carries")
foreach(input MobileZephyrkit.exe DesktopZephyrkit.exe SystemInfo.dat)
  install(FILES ${ZK_WINDOWS_PROGRAM_DIR}/${input} DESTINATION ${ZK_PROGRAM_DIR} OPTIONAL)
endforeach()
if(NOT EXISTS ${ZK_WINDOWS_PROGRAM_DIR}/MobileZephyrkit.exe)
  message(STATUS "No windows program folder at ${ZK_WINDOWS_PROGRAM_DIR} yet: the install "
                 "carries the build inputs once scripts/windows-program.sh has made it")
endif()

# Relative links, so that the same tree works under any prefix and in the package.
set(zk_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${zk_links})
foreach(program zephyrkit zephyrkit-cab zephyrkit-project zephyrkit-package)
  file(CREATE_LINK ../${ZK_PROGRAM_DIR}/${program} ${zk_links}/${program} SYMBOLIC)
  install(FILES ${zk_links}/${program} DESTINATION bin)
endforeach()

# Man pages from each command's own --help and --version, gzipped as Debian
# keeps them: -n leaves out the name and time, so the same page is the same
# bytes (help2man dates it from SOURCE_DATE_EPOCH when set).
find_program(ZK_HELP2MAN help2man)
find_program(ZK_GZIP gzip REQUIRED)
if(ZK_HELP2MAN)
  set(zk_man ${CMAKE_BINARY_DIR}/man)
  set(zk_pages)
  foreach(entry
      "zephyrkit|build over-the-air installers for Windows Mobile devices"
      "zephyrkit-project|make, change, build and sign Zephyrkit projects from a shell"
      "zephyrkit-cab|show what Zephyrkit learns from Windows CE cabinets"
      "zephyrkit-package|list, test, extract and match a built Zephyrkit installer against devices"
      "zk-device|run a Zephyrkit device installer on a folder that plays the device")
    string(REPLACE "|" ";" entry "${entry}")
    list(GET entry 0 program)
    list(GET entry 1 summary)
    add_custom_command(OUTPUT ${zk_man}/${program}.1.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${zk_man}
      COMMAND ${ZK_HELP2MAN} --no-info --no-discard-stderr --section=1
              "--name=${summary}" --output=${zk_man}/${program}.1 $<TARGET_FILE:${program}>
      COMMAND ${ZK_GZIP} -9 -n -f ${zk_man}/${program}.1
      DEPENDS ${program}
      COMMENT "Writing the man page of ${program}")
    list(APPEND zk_pages ${zk_man}/${program}.1.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${zk_pages})
  install(FILES ${zk_pages} DESTINATION share/man/man1)
else()
  message(WARNING "help2man is missing (scripts/setup-host.sh installs it): no man pages")
endif()

# The copyright file (DEP-5) as it stands, and the changelog gzipped as a
# native package's changelog.gz (the version has no Debian revision).
set(zk_doc ${CMAKE_BINARY_DIR}/doc)
add_custom_command(OUTPUT ${zk_doc}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${zk_doc}
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
          ${zk_doc}/changelog
  COMMAND ${ZK_GZIP} -9 -n -f ${zk_doc}/changelog
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
  COMMENT "Compressing the package's changelog")
add_custom_target(package_changelog ALL DEPENDS ${zk_doc}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${zk_doc}/changelog.gz
        DESTINATION share/doc/zephyrkit)

# cpack: a .deb of the same tree under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zephyrkit)
set(CPACK_PACKAGE_VENDOR Morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Over-the-air installers for Windows Mobile devices from Windows CE cabinets")
# The extended description, which cpack puts after the summary.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zephyrkit turns Windows CE cabinet files into installers for Pocket PC and
Smartphone devices (Windows Mobile 2002 to 5): a device installer that
installs each cabinet that suits the device it runs on, a desktop installer
that brings it to a connected device over ActiveSync, and a copy for storage
cards.
This package holds the Linux commands: zephyrkit (the wizard's build without
a window, zephyrkit -silent), zephyrkit-project (projects made, checked,
built and signed from a shell), zephyrkit-cab, zephyrkit-package (reading
built installers) and zk-device (a device played on a folder), with the
manual.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Morvane <zephyrkit@morvane.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
# The libraries the programs link, as Debian 12 names them (dpkg-shlibdeps;
# a library Debian builds as a shared one, as it builds cpp-httplib, comes in
# this way once a program links it).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# `zephyrkit-project build --sign` runs osslsigncode; everything else works
# without it, so it is recommended (installed by default), not depended on.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS osslsigncode)
set(CPACK_STRIP_FILES ON)
include(CPack)
