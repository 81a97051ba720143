# Cross build for 32-bit ARM Linux with hardware floating point (armhf) with
# Debian's cross compiler (crossbuild-essential-armhf) and multiarch libraries
# (libsdl2-dev:armhf, libpng-dev:armhf for the tools):
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/arm-linux-gnueabihf.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(PLIM_CROSS_TRIPLET arm-linux-gnueabihf)
set(PLIM_CROSS_EMULATOR qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
