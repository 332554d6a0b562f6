# Debian's powerpc64le-linux-gnu cross compiler (ppc64el); see scripts/cross-check.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(VORLANE_CROSS_TRIPLE powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc64le)
