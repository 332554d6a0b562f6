# Debian's i686-w64-mingw32 cross compiler; see scripts/cross-check.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VORLANE_CROSS_TRIPLE i686-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex.
set(VORLANE_CROSS_SUFFIX -posix)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
set(CMAKE_RC_COMPILER ${VORLANE_CROSS_TRIPLE}-windres)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
