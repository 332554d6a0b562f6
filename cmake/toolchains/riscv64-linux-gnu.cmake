# Debian's riscv64-linux-gnu cross compiler (riscv64); see scripts/cross-check.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(VORLANE_CROSS_TRIPLE riscv64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-riscv64)
