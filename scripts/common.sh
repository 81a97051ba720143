# shellcheck shell=bash disable=SC2034  # the variables it sets are for the scripts that source it
# Sourced by the scripts beside it: what more than one of them needs, in one
# place.  Defines functions and nothing else; a script calls what it uses.
# The scripts run from the top of the checkout (each begins with
# cd "$(dirname "$0")/..").
#
# What the checkout is
#   plim_version          the one version number: project(plim VERSION ...)
#                         in CMakeLists.txt
#   in_checkout           true when this folder is the top of a git checkout
#                         (not an unpacked source archive, nor a folder
#                         inside another checkout)
#   source_date           the time the release files carry, in seconds since
#                         1970, so that one commit gives the same bytes:
#                         SOURCE_DATE_EPOCH when set; in a checkout, the last
#                         commit's; else the commit time git archive wrote
#                         into packaging/commit-time; else 1980-01-01
#   plim_cache            ${XDG_CACHE_HOME:-~/.cache}/plim, where what is made
#                         once and kept goes (SDL2 for the browser, the ARM
#                         roots); fails when there is no home to put it in
#   use_emscripten        lets emcc find its own modules, whichever node is
#                         first on the PATH
#
# Debian's archive
#   debian_mirror         the mirror to fetch Debian 12 from, without a
#                         trailing slash: PLIM_DEBIAN_MIRROR when set, else
#                         the first one this machine's apt uses for Debian's
#                         main archive, else http://deb.debian.org/debian
#   three_tries LOG WHAT COMMAND...
#                         runs COMMAND, its output into LOG, until it
#                         succeeds, at most three times, 20 s then 40 s
#                         apart, saying on standard error when WHAT failed;
#                         returns 1 after the third failure (LOG holds its
#                         output)
#   update_package_lists LOG APT...
#                         "APT update" (apt-get and its options, or a command
#                         that runs it) in three tries: a mirror caught in the
#                         middle of a sync fails an index for a while
#
# Builds
#   forget_moved_build DIR, cmake_configure DIR [OPTION...],
#   cmake_build DIR TARGETS [OPTION...]
#                         the one way a build folder is configured and built
#                         (below)
#   cmake_cache_value DIR NAME
#                         the value of NAME in DIR's CMake cache
#   cross_options ARCH DIR
#                         sets CROSS_SYSROOT and CROSS_OPTIONS, the CMake
#                         options of a build for ARCH (arm64 or armhf, as
#                         Debian names them) against the Debian 12 root
#                         sysroot.sh makes; DIR, when configured against
#                         another root, is removed to start afresh
#
# Checks (cross-check.sh, deb-check.sh, web-check.sh)
#   choose_parts "PART..." [ARG...]
#                         PARTS, the parts the ARGs name (all of the first
#                         argument's when none); an unknown part is a usage
#                         error (status 2)
#   wants PART            true when PART is among PARTS
#   tally_start, pass TEXT, fail TEXT, elapsed PART, tally_end NAME
#                         print "ok: TEXT" or "FAILED: TEXT" (fail counts
#                         it); elapsed prints the seconds since the last call
#                         (or since tally_start) as PART's time; tally_end
#                         prints "NAME: N failed, S s in all" and returns 1
#                         when any check failed
#   make_busy_songs PLIM_SONG DIR
#                         the nine busy songs, DIR/busy-BV for bank B and
#                         voice V: every cell lit, pace 108, wobble 2, echo 3,
#                         space 3
#   song_passes NAME      how many passes the checks render of a song: four of
#                         the demo, two of a busy one (about 13 s with the
#                         tail that rings out)
#
# Sanitizers (run-tests.sh, run-fuzz.sh)
#   sanitizers_without_aslr
#                         sets NO_ASLR (below)

plim_version() {
    sed -n 's/^project(plim VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt
}

in_checkout() {
    [[ $(git rev-parse --show-toplevel 2>/dev/null) == "$PWD" ]]
}

source_date() {
    if [[ -n ${SOURCE_DATE_EPOCH:-} ]]; then
        echo "$SOURCE_DATE_EPOCH"
    elif in_checkout; then
        git log -1 --format=%ct
    elif [[ $(cat packaging/commit-time 2>/dev/null) =~ ^[0-9]+$ ]]; then
        cat packaging/commit-time
    else
        echo 315532800
    fi
}

plim_cache() {
    local home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
    if [[ -z ${XDG_CACHE_HOME:-} && -z $home ]]; then
        echo "neither XDG_CACHE_HOME nor HOME is set, and the user has no home" >&2
        return 1
    fi
    echo "${XDG_CACHE_HOME:-$home/.cache}/plim"
}

use_emscripten() { export NODE_PATH=/usr/share/nodejs; }

debian_mirror() {
    local mirror=${PLIM_DEBIAN_MIRROR:-}
    # A deb822 .sources file's URIs, then a sources.list line.
    [[ -n $mirror ]] || mirror=$(awk '$1 == "URIs:" { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }' \
        /etc/apt/sources.list.d/*.sources 2>/dev/null)
    [[ -n $mirror ]] || mirror=$(awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /\/debian\/?$/) { print $i; exit } }' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null)
    mirror=${mirror:-http://deb.debian.org/debian}
    echo "${mirror%/}"
}

three_tries() {
    local log=$1 what=$2 try
    shift 2
    for try in 1 2 3; do
        "$@" >"$log" 2>&1 && return 0
        [[ $try == 3 ]] && break
        echo "$(basename "$0" .sh): $what failed (try $try of 3); trying again in $((try * 20)) s" >&2
        sleep $((try * 20))
    done
    return 1
}

update_package_lists() {
    local log=$1
    shift
    three_tries "$log" "apt-get update" "$@" update
}

# forget_moved_build DIR
#   A build folder copied or moved with its checkout still names the old
#   folders in its CMakeCache.txt, which CMake refuses.  When DIR's cache was
#   made for another source or build folder than this checkout's, says so in
#   a line on standard error and removes the cache and every CMakeFiles
#   folder in DIR (what else DIR holds, install records say, stays), so that
#   the next configure starts afresh.
#
# cmake_configure DIR [OPTION...]
#   Configures the build folder DIR with the CMake OPTIONs, writing to
#   DIR.configure.log; when that fails, prints the end of the log and its
#   name on standard error and returns 1.  The source is this checkout, or
#   BUILD_SOURCE when set.  The array CONFIGURE_RUNNER, when set, prefixes
#   the step (emcmake); variables such as CC given before the call reach it.
#
# cmake_build DIR TARGETS [OPTION...]
#   Configures DIR with the OPTIONs (with none, a folder already configured
#   is left as it is; a DIR configured for another checkout is configured
#   afresh), then builds TARGETS (names separated by spaces; "all" for
#   everything) with $JOBS jobs (the number of processors when unset),
#   writing to DIR.build.log.  A step that fails prints the end of its log
#   and the log's name on standard error, and cmake_build returns 1.  The
#   array BUILD_RUNNER, when set, prefixes the build step (a build that runs
#   what it builds may need it).

forget_moved_build() {
    local dir=$1 cache=$1/CMakeCache.txt
    [[ -f $cache ]] || return 0
    local made_in made_from
    made_in=$(cmake_cache_value "$dir" CMAKE_CACHEFILE_DIR)
    made_from=$(cmake_cache_value "$dir" CMAKE_HOME_DIRECTORY)
    # -ef: the same folder, by whatever path.
    [[ -n $made_in && $made_in -ef $dir && -n $made_from && $made_from -ef ${BUILD_SOURCE:-.} ]] && return 0
    echo "$dir was configured in ${made_in:-another folder} (for ${made_from:-another checkout}): configuring it afresh" >&2
    rm -f "$cache"
    find "$dir" -name CMakeFiles -type d -prune -exec rm -rf {} +
}

cmake_configure() {
    local dir=$1
    shift
    local runner=()
    [[ -n ${CONFIGURE_RUNNER+set} ]] && runner=("${CONFIGURE_RUNNER[@]}")
    forget_moved_build "$dir"
    if ! "${runner[@]}" cmake -S "${BUILD_SOURCE:-.}" -B "$dir" "$@" >"$dir.configure.log" 2>&1; then
        tail -n 40 "$dir.configure.log" >&2
        echo "configuring $dir failed (whole log: $dir.configure.log)" >&2
        return 1
    fi
}

cmake_build() {
    local dir=$1 targets=$2
    shift 2
    forget_moved_build "$dir"
    if [[ $# -gt 0 || ! -f $dir/CMakeCache.txt ]]; then
        cmake_configure "$dir" "$@" || return 1
    fi
    local runner=()
    [[ -n ${BUILD_RUNNER+set} ]] && runner=("${BUILD_RUNNER[@]}")
    # shellcheck disable=SC2086  # TARGETS is a list of names
    if ! "${runner[@]}" cmake --build "$dir" -j"${JOBS:-$(nproc)}" --target $targets \
        >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log" >&2
        echo "building $targets in $dir failed (whole log: $dir.build.log)" >&2
        return 1
    fi
}

cmake_cache_value() {
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt" 2>/dev/null
}

cross_options() {
    local arch=$1 dir=$2 toolchain
    case $arch in
        arm64) toolchain=aarch64-linux-gnu ;;
        armhf) toolchain=arm-linux-gnueabihf ;;
        *) echo "$(basename "$0"): no tool chain for $arch (arm64 or armhf)" >&2; return 2 ;;
    esac
    CROSS_SYSROOT=$(scripts/sysroot.sh "$arch") || return 1
    CROSS_OPTIONS=("-DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/$toolchain.cmake" "-DPLIM_SYSROOT:PATH=$CROSS_SYSROOT")
    # A folder configured against another root (or none) starts afresh.
    [[ $(cmake_cache_value "$dir" PLIM_SYSROOT) == "$CROSS_SYSROOT" ]] || rm -rf "$dir"
}

choose_parts() {
    local known=$1 part
    shift
    PARTS=("$@")
    [[ ${#PARTS[@]} -eq 0 ]] && read -ra PARTS <<<"$known"
    for part in "${PARTS[@]}"; do
        if [[ " $known " != *" $part "* ]]; then
            echo "$(basename "$0"): no part called \"$part\" (the parts: $known)" >&2
            return 2
        fi
    done
}

wants() { [[ " ${PARTS[*]} " == *" $1 "* ]]; }

tally_start() {
    TALLY_STARTED=$SECONDS
    TALLY_PHASE=$SECONDS
    TALLY_FAILURES=0
}
fail() { echo "FAILED: $*"; TALLY_FAILURES=$((TALLY_FAILURES + 1)); }
pass() { echo "ok: $*"; }
elapsed() { echo "  ($1: $((SECONDS - TALLY_PHASE)) s)"; TALLY_PHASE=$SECONDS; }
tally_end() {
    echo "$1: $TALLY_FAILURES failed, $((SECONDS - TALLY_STARTED)) s in all"
    [[ $TALLY_FAILURES == 0 ]]
}

make_busy_songs() {
    local plim_song=$1 dir=$2 bank voice
    for bank in 0 1 2; do
        for voice in 0 1 2; do
            # Pace, voice, bank, wobble, echo, space in the file's order.
            "$plim_song" "$dir/busy-$bank$voice" 108 "$voice" "$bank" 2 3 3 || return 1
        done
    done
}

song_passes() { if [[ $1 == demo ]]; then echo 4; else echo 2; fi; }

# sanitizers_without_aslr
#   ThreadSanitizer (and, on some kernels, AddressSanitizer) cannot map its
#   shadow memory when the address space is randomised with more than 28
#   bits.  Sets NO_ASLR to a command prefix that runs a program without
#   randomisation, changing nothing outside it.  Where the kernel refuses
#   that (setarch -R), lowers vm.mmap_rnd_bits for the run instead;
#   restore_aslr_bits puts it back, and runs on exit, also when the script
#   is interrupted (a script that sets an EXIT trap of its own afterwards
#   calls it there).
sanitizers_without_aslr() {
    NO_ASLR=()
    ASLR_BITS_BEFORE=
    if setarch "$(uname -m)" -R true 2>/dev/null; then
        NO_ASLR=(setarch "$(uname -m)" -R)
    else
        local before
        before=$(cat /proc/sys/vm/mmap_rnd_bits 2>/dev/null || echo 0)
        if [[ $before -gt 28 ]] && sysctl -qw vm.mmap_rnd_bits=28 2>/dev/null; then
            ASLR_BITS_BEFORE=$before
            echo "note: vm.mmap_rnd_bits lowered from $before to 28 for the sanitizers; restored on exit"
        fi
    fi
    trap restore_aslr_bits EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
}

restore_aslr_bits() {
    [[ -z ${ASLR_BITS_BEFORE:-} ]] || sysctl -qw vm.mmap_rnd_bits="$ASLR_BITS_BEFORE" 2>/dev/null || true
}
