#!/usr/bin/env bash
# cross-build.sh ARCH TARGET...: builds PLIM's TARGETs (plim, plim-render,
# plim-shot) in Release for ARCH into build-ARCH and prints that directory.
#
# ARCH is aarch64 or armhf (cross-compiled with Debian's cross compilers
# against a Debian 12 root for the architecture, made by scripts/sysroot.sh
# the first time, see cmake/toolchains; plim built for the handheld port) or
# native (this machine).  The tools are configured only when a tool is
# asked for, so building plim alone needs SDL2 and nothing else.  For native,
# the test command's plain build (build-test) is brought up to date and used
# when it exists: compiled without contracted multiply-adds, its lower
# optimisation level makes no difference to a sample.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

arch=${1:?usage: cross-build.sh aarch64|armhf|native TARGET...}
shift
options=(-DCMAKE_BUILD_TYPE=Release -DPLIM_TESTS=OFF -DPLIM_BENCH=OFF)
dir=build-$arch
case $arch in
    aarch64 | armhf)
        # Debian calls aarch64 arm64.
        cross_options "${arch/aarch64/arm64}" "$dir" || exit 1
        options+=("${CROSS_OPTIONS[@]}" -DPLIM_HANDHELD=ON)
        ;;
    native) ;;
    *) echo "cross-build.sh: unknown architecture $arch (aarch64, armhf or native)" >&2; exit 2 ;;
esac
tools=OFF
for target in "$@"; do [[ $target == plim-* ]] && tools=ON; done
options+=("-DPLIM_TOOLS=$tools")

# A build-test moved here from elsewhere is not the test command's: its
# options are gone with its cache.
[[ $arch == native ]] && forget_moved_build build-test
if [[ $arch == native && -f build-test/CMakeCache.txt ]]; then
    dir=build-test
    options=()  # configured by the test command
fi
cmake_build "$dir" "$*" "${options[@]}" || exit 1
echo "$dir"
