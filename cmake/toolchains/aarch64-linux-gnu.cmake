# Cross build for 64-bit ARM Linux (aarch64) with Debian's cross compiler
# (crossbuild-essential-arm64) and multiarch libraries (libsdl2-dev:arm64,
# libpng-dev:arm64 for the tools):
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PLIM_CROSS_TRIPLET aarch64-linux-gnu)
set(PLIM_CROSS_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-multiarch.cmake)
