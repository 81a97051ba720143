# Cross build for 64-bit ARM Linux (aarch64) with Debian's cross compiler
# (g++-aarch64-linux-gnu) against a Debian 12 arm64 root (scripts/sysroot.sh):
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake \
#         -DPLIM_SYSROOT=$(scripts/sysroot.sh arm64)
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PLIM_CROSS_TRIPLET aarch64-linux-gnu)
set(PLIM_CROSS_EMULATOR qemu-aarch64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-sysroot.cmake)
