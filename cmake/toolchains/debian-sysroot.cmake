# Shared part of the cross tool-chain files: Debian's PLIM_CROSS_TRIPLET-gcc
# and -g++ (this machine's own packages), building against the root of a
# Debian 12 system for the target, PLIM_SYSROOT, which scripts/sysroot.sh makes
# and prints: the target's SDL2 and libpng are found there, by SDL2's CMake
# files and by pkg-config, and nowhere else.  Programs built this way run on
# the build machine under qemu-user (PLIM_CROSS_EMULATOR) with that root's
# libraries (-L PLIM_SYSROOT).
if(NOT PLIM_SYSROOT OR NOT EXISTS "${PLIM_SYSROOT}/usr/include/SDL2/SDL.h")
  message(FATAL_ERROR "PLIM_SYSROOT must name the target's root, as scripts/sysroot.sh prints it "
    "(-DPLIM_SYSROOT=$(scripts/sysroot.sh arm64)); it is \"${PLIM_SYSROOT}\"")
endif()
# The checks CMake compiles use the same root.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PLIM_SYSROOT)

set(CMAKE_SYSROOT ${PLIM_SYSROOT})
set(CMAKE_C_COMPILER ${PLIM_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PLIM_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${PLIM_CROSS_TRIPLET})
set(CMAKE_CROSSCOMPILING_EMULATOR ${PLIM_CROSS_EMULATOR} -L ${PLIM_SYSROOT})

# This machine's pkg-config, reading only the root's modules and giving
# their paths inside it.
set(PKG_CONFIG_EXECUTABLE pkg-config CACHE FILEPATH "pkg-config, reading the target's root")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${PLIM_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR} "${PLIM_SYSROOT}/usr/lib/${PLIM_CROSS_TRIPLET}/pkgconfig:${PLIM_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Headers, libraries and CMake package files from the root alone; programs
# run during the build (pkg-config) are the build machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
