# Debian's mips64el-linux-gnuabi64 cross compiler (mips64el); see scripts/cross-check.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips64el)
set(VORLANE_CROSS_TRIPLE mips64el-linux-gnuabi64)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mips64el)
