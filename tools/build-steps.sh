# Sourced by the scripts that build PLIM: the one way a build folder is
# configured and built, each step's output kept in a log.  Run from the top
# of the checkout.
#
# forget_moved_build DIR
#   A build folder copied or moved with its checkout still names the old
#   folders in its CMakeCache.txt, which CMake refuses.  When DIR's cache was
#   made for another source or build folder than this checkout's, says so in
#   a line on standard error and removes the cache and every CMakeFiles
#   folder in DIR (what else DIR holds, install records say, stays), so that
#   the next configure starts afresh.
#
# cmake_build DIR TARGETS [OPTION...]
#   Configures the build folder DIR with the CMake OPTIONs (with none, a
#   folder already configured is left as it is), then builds TARGETS (names
#   separated by spaces; "all" for everything) with $JOBS jobs (the number of
#   processors when unset).  The steps write to DIR.configure.log and
#   DIR.build.log; a step that fails prints the end of its log and the log's
#   name on standard error, and cmake_build returns 1.  A DIR configured for
#   another checkout is configured afresh (forget_moved_build).  The array
#   BUILD_RUNNER, when set, prefixes the build step (a build that runs what
#   it builds may need it); variables such as CC given before the call reach
#   the configure step.

forget_moved_build() {
    local dir=$1 cache=$1/CMakeCache.txt
    [[ -f $cache ]] || return 0
    local made_in made_from
    made_in=$(sed -n 's/^CMAKE_CACHEFILE_DIR:INTERNAL=//p' "$cache")
    made_from=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
    # -ef: the same folder, by whatever path.
    [[ -n $made_in && $made_in -ef $dir && -n $made_from && $made_from -ef . ]] && return 0
    echo "$dir was configured in ${made_in:-another folder} (for ${made_from:-another checkout}): configuring it afresh" >&2
    rm -f "$cache"
    find "$dir" -name CMakeFiles -type d -prune -exec rm -rf {} +
}

cmake_build() {
    local dir=$1 targets=$2
    shift 2
    forget_moved_build "$dir"
    local runner=()
    [[ -n ${BUILD_RUNNER+set} ]] && runner=("${BUILD_RUNNER[@]}")
    if [[ $# -gt 0 || ! -f $dir/CMakeCache.txt ]]; then
        if ! cmake -S . -B "$dir" "$@" >"$dir.configure.log" 2>&1; then
            tail -n 40 "$dir.configure.log" >&2
            echo "configuring $dir failed (whole log: $dir.configure.log)" >&2
            return 1
        fi
    fi
    # shellcheck disable=SC2086  # TARGETS is a list of names
    if ! "${runner[@]}" cmake --build "$dir" -j"${JOBS:-$(nproc)}" --target $targets \
        >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log" >&2
        echo "building $targets in $dir failed (whole log: $dir.build.log)" >&2
        return 1
    fi
}
