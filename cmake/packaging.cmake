# Install rules and packages.  On Unix: the program, its manual page and
# its papers in the usual places, a Debian package and a .tar.gz.  On
# Windows: a .zip holding one folder with vorlane.exe and two text files
# a Windows user can open, with Windows line ends.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME vorlane)
set(CPACK_PACKAGE_VENDOR "The Vorlane developers")
set(CPACK_PACKAGE_CONTACT "The Vorlane developers <vorlane@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DD coil calculator: side lengths and spool mandrel diameter")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

# No source package: the source of a release is what git holds, as
# "git archive" packs it.  CPack would pack the work tree as it finds it,
# the build folders, .git and whatever else lies there included, and a
# list of what to leave out would always miss someone's folder.  CMake
# offers the target package_source where the build folder holds
# CPackSourceConfig.cmake, so CPack's source configuration is written
# elsewhere, and one left by an earlier run removed.
set(CPACK_SOURCE_OUTPUT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CMakeFiles/CPackSourceConfig-unused.cmake)
file(REMOVE ${PROJECT_BINARY_DIR}/CPackSourceConfig.cmake)

# The archive made besides the Debian package: a zip for Windows, else a
# .tar.gz, named as CPack would name it.
if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_PACKAGE_FILE_NAME vorlane-${PROJECT_VERSION}-win64)
  else()
    set(CPACK_PACKAGE_FILE_NAME vorlane-${PROJECT_VERSION}-win32)
  endif()
  set(vorlane_archive ${CPACK_PACKAGE_FILE_NAME}.zip)
else()
  set(CPACK_PACKAGE_FILE_NAME vorlane-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME})
  set(vorlane_archive ${CPACK_PACKAGE_FILE_NAME}.tar.gz)
endif()

# The same bytes from every build of the same source, by whoever builds.
# CPack stamps every file with the source's time, read in UTC, as zip
# files keep local times: SOURCE_DATE_EPOCH where it is set when the
# packages are made, else the time release.cmake settled on when CMake
# ran.  It takes permissions from the files it has staged, and folders and
# its own files get theirs from the umask, so the target "packages", which
# the README uses, runs it with the umask that packages expect, whatever
# the builder's.  Into the .tar.gz and the zip it also writes the owner of
# the staged files, the builder, and it has no setting for that (CMake
# 3.25); so "packages" then records root as their owner, as the Debian
# package has it.  (On Windows, files have no Unix owner to record.)
file(WRITE ${PROJECT_BINARY_DIR}/cpack-time.cmake
  "if(\"\$ENV{SOURCE_DATE_EPOCH}\" STREQUAL \"\")\n"
  "  set(ENV{SOURCE_DATE_EPOCH} ${VORLANE_SOURCE_DATE_EPOCH})\n"
  "endif()\n"
  "set(ENV{TZ} UTC)\n")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-time.cmake)

# What "packages" needs besides CMake, with the Debian and Ubuntu package
# that brings it: python3 for the archives' owner and, for the .deb, which
# is for Debian and Ubuntu, dpkg, dpkg-shlibdeps and file.  Without dpkg,
# CPack still makes a .deb, but for i386 whatever the machine, and without
# dpkg-shlibdeps one that depends on nothing; so where a tool is missing
# the target stops, saying what to install, and CPack alone makes no .deb.
set(vorlane_packages_tools)
if(CMAKE_HOST_UNIX)
  list(APPEND vorlane_packages_tools python3:python3)
endif()
if(NOT WIN32)
  list(APPEND vorlane_packages_tools dpkg:dpkg dpkg-shlibdeps:dpkg-dev file:file)
endif()
set(vorlane_packages_missing)
set(vorlane_packages_need)
foreach(tool IN LISTS vorlane_packages_tools)
  string(REGEX REPLACE ":.*" "" program ${tool})
  string(REGEX REPLACE ".*:" "" package ${tool})
  string(MAKE_C_IDENTIFIER ${program} variable)
  string(TOUPPER VORLANE_${variable} variable)
  find_program(${variable} ${program})
  if(NOT ${variable})
    list(APPEND vorlane_packages_missing ${program})
    list(APPEND vorlane_packages_need ${package})
  endif()
endforeach()
if(vorlane_packages_missing)
  list(REMOVE_DUPLICATES vorlane_packages_need)
  list(JOIN vorlane_packages_missing ", " vorlane_packages_missing)
  list(JOIN vorlane_packages_need " " vorlane_packages_need)
  set(vorlane_packages_message "The target packages needs ${vorlane_packages_missing} \
(Debian, Ubuntu: apt-get install ${vorlane_packages_need}); without, it makes no package.")
  message(STATUS "${vorlane_packages_message}")
  add_custom_target(packages COMMAND ${CMAKE_COMMAND} -E echo "${vorlane_packages_message}"
    COMMAND ${CMAKE_COMMAND} -E false VERBATIM)
elseif(CMAKE_HOST_UNIX)
  add_custom_target(packages
    COMMAND sh -c "umask 022 && exec \"$0\" --config CPackConfig.cmake" ${CMAKE_CPACK_COMMAND}
    COMMAND ${VORLANE_PYTHON3} ${PROJECT_SOURCE_DIR}/cmake/archive_owner.py ${vorlane_archive}
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
else()
  add_custom_target(packages COMMAND ${CMAKE_CPACK_COMMAND} --config CPackConfig.cmake
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR} VERBATIM)
endif()
if(NOT vorlane_packages_missing)
  add_dependencies(packages vorlane)
endif()

if(WIN32)
  install(TARGETS vorlane RUNTIME DESTINATION .)
  set(VORLANE_WINDOWS_TITLE "Vorlane ${PROJECT_VERSION} - DD coil calculator")
  string(LENGTH "${VORLANE_WINDOWS_TITLE}" vorlane_title_length)
  string(REPEAT "=" ${vorlane_title_length} VORLANE_WINDOWS_UNDERLINE)
  configure_file(${PROJECT_SOURCE_DIR}/docs/README-windows.txt.in ${PROJECT_BINARY_DIR}/README.txt
    @ONLY NEWLINE_STYLE CRLF)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.txt ${PROJECT_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  include(CPack)
  return()
endif()

# The manual page, and the changelog in Debian's format (CHANGELOG.md
# says the same for people reading the sources), compressed as Debian
# wants them:
# gzip -9 with no name or time stamp, so that the same source gives the
# same bytes.
configure_file(${PROJECT_SOURCE_DIR}/docs/vorlane.1.in ${PROJECT_BINARY_DIR}/vorlane.1 @ONLY)
find_program(VORLANE_GZIP gzip REQUIRED)
function(vorlane_gzip source name)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/${name}
    COMMAND ${VORLANE_GZIP} -9n < ${source} > ${PROJECT_BINARY_DIR}/${name}
    DEPENDS ${source})
endfunction()
vorlane_gzip(${PROJECT_BINARY_DIR}/vorlane.1 vorlane.1.gz)
vorlane_gzip(${PROJECT_SOURCE_DIR}/docs/debian-changelog changelog.gz)
# Made with the program, so that whatever build made it can install it.
add_custom_target(vorlane_papers DEPENDS ${PROJECT_BINARY_DIR}/vorlane.1.gz ${PROJECT_BINARY_DIR}/changelog.gz)
add_dependencies(vorlane vorlane_papers)

install(TARGETS vorlane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The comment section only names the compiler; packages leave it out.
if(CMAKE_OBJCOPY)
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorlane\")")
endif()
install(FILES ${PROJECT_BINARY_DIR}/vorlane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md docs/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
# Where the README's picture link finds it, beside the README as in the source.
install(FILES docs/dd-coil.svg DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

if(VORLANE_DPKG AND VORLANE_DPKG_SHLIBDEPS AND VORLANE_FILE)
  set(CPACK_GENERATOR "DEB;TGZ")
else()
  set(CPACK_GENERATOR TGZ)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "From the height and window width of a DD (double-D) coil, vorlane works
out the four side lengths of the D, their total and the diameter of the
round spool mandrel whose circumference equals that total, exact to six
decimals. It runs as an interactive console dialogue, or straight through
a table of sizes read from a file or a pipe.")
include(CPack)
