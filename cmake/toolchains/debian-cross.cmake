# What every toolchain file here shares: Debian's cross compiler for
# VORLANE_CROSS_TRIPLE (with VORLANE_CROSS_SUFFIX, such as -posix, on its
# name), its sysroot, and static linking, so that the program runs without
# the target's runtime libraries installed.  fast_float, header-only, is
# the build machine's package, outside the target's root (see
# cmake/fast_float.cmake).
set(CMAKE_C_COMPILER ${VORLANE_CROSS_TRIPLE}-gcc${VORLANE_CROSS_SUFFIX})
set(CMAKE_CXX_COMPILER ${VORLANE_CROSS_TRIPLE}-g++${VORLANE_CROSS_SUFFIX})
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_FIND_ROOT_PATH /usr/${VORLANE_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(FastFloat_DIR /usr/lib/cmake/FastFloat CACHE PATH "fast_float's CMake package, the same for every target")
