# Shared part of the cross tool-chain files: Debian's PLIM_CROSS_TRIPLET-gcc
# and -g++, and the foreign architecture's libraries as Debian's multiarch
# packages install them, in /usr/lib/PLIM_CROSS_TRIPLET, found by CMake's
# package search (SDL2's CMake files) and by the architecture's pkg-config
# (PLIM_CROSS_TRIPLET-pkg-config, for libpng).  Programs built this way run on
# the build machine under qemu-user (PLIM_CROSS_EMULATOR) with the same
# multiarch libraries.
set(CMAKE_C_COMPILER ${PLIM_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PLIM_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${PLIM_CROSS_TRIPLET})
set(PKG_CONFIG_EXECUTABLE ${PLIM_CROSS_TRIPLET}-pkg-config CACHE FILEPATH "pkg-config for the target")
set(CMAKE_CROSSCOMPILING_EMULATOR ${PLIM_CROSS_EMULATOR})

# Headers and libraries come from the ordinary root (multiarch); programs
# run during the build (pkg-config) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
