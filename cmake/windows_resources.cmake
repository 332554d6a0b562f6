# On Windows, vorlane.exe carries its version information (what its
# Properties show) and an application manifest.  MinGW's resource compiler
# embeds the manifest from the .rc; MSVC's linker merges a .manifest source
# file into the manifest it makes.  The exe's time stamp is zero, so that
# the same source gives the same bytes.
if(NOT WIN32)
  return()
endif()
enable_language(RC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/vorlane.manifest.in ${PROJECT_BINARY_DIR}/vorlane.manifest @ONLY)
set(VORLANE_MANIFEST ${PROJECT_BINARY_DIR}/vorlane.manifest)
configure_file(${PROJECT_SOURCE_DIR}/cmake/windows/vorlane.rc.in ${PROJECT_BINARY_DIR}/vorlane.rc @ONLY)
target_sources(vorlane PRIVATE ${PROJECT_BINARY_DIR}/vorlane.rc)
if(MSVC)
  target_sources(vorlane PRIVATE ${PROJECT_BINARY_DIR}/vorlane.manifest)
else()
  set_property(SOURCE ${PROJECT_BINARY_DIR}/vorlane.rc APPEND PROPERTY COMPILE_DEFINITIONS VORLANE_MANIFEST)
  target_link_options(vorlane PRIVATE -Wl,--no-insert-timestamp)
endif()
