# Cross build for 32-bit ARM Linux with hardware floating point (armhf) with
# Debian's cross compiler (g++-arm-linux-gnueabihf) against a Debian 12 armhf
# root (scripts/sysroot.sh):
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake \
#         -DPLIM_SYSROOT=$(scripts/sysroot.sh armhf)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(PLIM_CROSS_TRIPLET arm-linux-gnueabihf)
set(PLIM_CROSS_EMULATOR qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-sysroot.cmake)
