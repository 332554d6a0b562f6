# Install rules and packages: the program, its manual page and its papers.
include(GNUInstallDirs)

configure_file(${PROJECT_SOURCE_DIR}/docs/vorlane.1.in ${PROJECT_BINARY_DIR}/vorlane.1 @ONLY)

install(TARGETS vorlane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/vorlane.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md LICENSE CHANGELOG.md docs/dd-coil.svg DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME vorlane)
set(CPACK_PACKAGE_VENDOR "The Vorlane developers")
set(CPACK_PACKAGE_CONTACT "The Vorlane developers <vorlane@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "DD coil calculator: side lengths and spool mandrel diameter")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR "DEB;TGZ")
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
