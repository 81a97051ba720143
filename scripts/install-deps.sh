#!/usr/bin/env bash
# scripts/install-deps.sh GROUP...: makes sure the packages of each named group
# are present, installing with apt-get only what is missing.
#
#   program  what the program needs to build: a compiler, CMake, SDL2
#   tools    plim-render, plim-shot and the icon: libpng
#   test     everything the test command needs (program and tools included):
#            GoogleTest, clang and its fuzzer runtime, man, the desktop-entry
#            checker, clang-format
#   bench    Google Benchmark
#   port     the ARM cross-builds: the cross compilers for arm64 and armhf
#            (this machine's own packages; the ARM SDL2 and libpng come from
#            the Debian 12 roots scripts/sysroot.sh makes), qemu to run what
#            they build, zip and unzip for the port's archive, jq to read
#            its port.json
#   deb      the Debian package: dpkg's development tools
#   deb-check  checking the package: lintian, the AppStream and desktop-entry
#            validators, debootstrap for a fresh Debian 12 to install it in
#   web      the browser build and its check: emscripten, dpkg-dev (to unpack
#            SDL2's source), Chromium and npm (for the page's test)
#
# Each package is checked the way the build will look for it (a command on
# the PATH, a pkg-config module, a library file; any other is asked of dpkg),
# so nothing is installed twice and apt is left alone when all is there.
# When something is missing and cannot be installed (no apt-get, no root and
# no sudo, sudo refused, apt failing), the script says what to install and
# exits 1.  A package list that will not update (a mirror caught mid-sync) is
# tried three times, then the install is tried with the lists apt has.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

usage() {
    echo "usage: scripts/install-deps.sh GROUP...   (groups: program tools test bench port deb deb-check web)" >&2
    exit 2
}

# The packages of one group, one per line.
group_packages() {
    case $1 in
    program) printf '%s\n' cmake make g++ pkg-config libsdl2-dev ;;
    tools) printf '%s\n' libpng-dev ;;
    test)
        group_packages program
        group_packages tools
        printf '%s\n' libgtest-dev clang libclang-rt-14-dev man-db desktop-file-utils clang-format
        ;;
    bench) printf '%s\n' libbenchmark-dev ;;
    port)
        printf '%s\n' g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user-static zip unzip jq
        ;;
    deb) printf '%s\n' dpkg-dev ;;
    deb-check)
        group_packages deb
        printf '%s\n' lintian appstream desktop-file-utils debootstrap
        ;;
    web) printf '%s\n' emscripten dpkg-dev chromium npm ;;
    *) return 1 ;;
    esac
}

have_command() {
    local name
    for name in "$@"; do command -v "$name" >/dev/null 2>&1 || return 1; done
}

have_module() {
    have_command pkg-config && pkg-config --exists "$@" 2>/dev/null
}

# The libFuzzer runtime that clang links with -fsanitize=fuzzer.
have_fuzzer_runtime() {
    have_command clang || return 1
    local dir
    dir=$(clang -print-runtime-dir 2>/dev/null) || return 1
    [[ -f $dir/libclang_rt.fuzzer-$(uname -m).a ]]
}

# Exactly "installed" for this one package name: one status line, nothing
# else.
dpkg_installed() {
    have_command dpkg-query || return 1
    local status
    status=$(dpkg-query -W -f='${db:Status-Abbrev}\n' "$1" 2>/dev/null) || return 1
    [[ $status == "ii " ]]
}

# Whether the build will find what this package provides.
present() {
    case $1 in
    cmake | make | g++ | pkg-config | clang-format) have_command "$1" ;;
    clang) have_command clang clang++ ;;
    man-db) have_command man ;;
    desktop-file-utils) have_command desktop-file-validate ;;
    libsdl2-dev) have_module sdl2 ;;
    libpng-dev) have_module libpng ;;
    libgtest-dev) have_module gtest gtest_main ;;
    libbenchmark-dev) have_module benchmark ;;
    libclang-rt-14-dev) have_fuzzer_runtime ;;
    g++-aarch64-linux-gnu) have_command aarch64-linux-gnu-gcc aarch64-linux-gnu-g++ aarch64-linux-gnu-strip ;;
    g++-arm-linux-gnueabihf) have_command arm-linux-gnueabihf-gcc arm-linux-gnueabihf-g++ arm-linux-gnueabihf-strip ;;
    qemu-user-static) have_command qemu-aarch64-static qemu-arm-static ;;
    zip | unzip | jq) have_command "$1" ;;
    dpkg-dev) have_command dpkg-shlibdeps dpkg-architecture dpkg-buildflags ;;
    lintian | debootstrap) have_command "$1" ;;
    appstream) have_command appstreamcli ;;
    emscripten) have_command emcc emcmake ;;
    chromium) [[ -x /usr/lib/chromium/chromium ]] ;;
    npm) have_command npm ;;
    *) dpkg_installed "$1" ;;
    esac
}

# Tells the user what to install by hand, then gives up.
cannot_install() {
    echo "install-deps: $1" >&2
    echo "install-deps: missing (Debian package names): ${missing[*]}" >&2
    if have_command apt-get; then
        echo "install-deps: as root, run:" >&2
        echo "    apt-get install ${missing[*]}" >&2
    fi
    exit 1
}

[[ $# -gt 0 ]] || usage
packages=()
for group in "$@"; do
    list=$(group_packages "$group") || usage
    mapfile -t -O "${#packages[@]}" packages <<<"$list"
done

missing=()
for package in "${packages[@]}"; do
    [[ " ${missing[*]} " == *" $package "* ]] && continue
    present "$package" || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

have_command apt-get dpkg || cannot_install "no apt-get here: install what these packages provide with the system's own package manager"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    have_command sudo || cannot_install "not running as root, and sudo is not installed"
    as_root=(sudo)
    sudo true || cannot_install "sudo was refused"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another apt at work holds the lock: wait for it rather than fail at once.
apt=(apt-get -q -o DPkg::Lock::Timeout=300)
install_missing() {
    "${as_root[@]}" "${apt[@]}" install -y --no-install-recommends "${missing[@]}" >/dev/null
}

# Fresh package lists only when the old ones cannot serve.
if ! install_missing; then
    lists_fetched=1
    update_log=$(mktemp)
    trap 'rm -f "$update_log"' EXIT
    if ! update_package_lists "$update_log" "${as_root[@]}" "${apt[@]}"; then
        # apt's errors and warnings, not its progress.
        grep -E '^(Err:|E:|W:)' "$update_log" >&2 || tail -n 20 "$update_log" >&2
        lists_fetched=0
        echo "install-deps: apt-get update failed 3 times; trying the install with the package lists apt has" >&2
    fi
    if ! install_missing; then
        [[ $lists_fetched == 1 ]] || cannot_install "apt-get install failed, the mirror's package lists being out of reach"
        cannot_install "apt-get install failed"
    fi
fi

still=()
for package in "${missing[@]}"; do present "$package" || still+=("$package"); done
if [[ ${#still[@]} -gt 0 ]]; then
    missing=("${still[@]}")
    cannot_install "installed, but the build still cannot find these"
fi
