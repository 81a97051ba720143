# Shared part of the cross tool-chain files: Debian's PLIM_CROSS_TRIPLET-gcc
# and g++, the foreign architecture's libraries from /usr/lib/PLIM_CROSS_TRIPLET
# (multiarch) and its pkg-config, and never a library of the build machine.
set(CMAKE_C_COMPILER ${PLIM_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${PLIM_CROSS_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${PLIM_CROSS_TRIPLET})
set(PKG_CONFIG_EXECUTABLE ${PLIM_CROSS_TRIPLET}-pkg-config CACHE FILEPATH "pkg-config for the target")

# Multiarch libraries live under the ordinary root, in /usr/lib/<triplet>;
# programs (pkg-config, qemu) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${PLIM_CROSS_TRIPLET} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs built here run on the build machine under qemu-user
# (qemu-aarch64-static, qemu-arm-static) with the multiarch libraries.
