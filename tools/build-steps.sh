# Sourced by the scripts that build PLIM: the one way a build folder is
# configured and built, each step's output kept in a log.
#
# cmake_build DIR TARGETS [OPTION...]
#   Configures the build folder DIR with the CMake OPTIONs (with none, a
#   folder already configured is left as it is), then builds TARGETS (names
#   separated by spaces; "all" for everything) with $JOBS jobs (the number of
#   processors when unset).  The steps write to DIR.configure.log and
#   DIR.build.log; a step that fails prints the end of its log and the log's
#   name on standard error, and cmake_build returns 1.  The array
#   BUILD_RUNNER, when set, prefixes the build step (a build that runs what
#   it builds may need it); variables such as CC given before the call reach
#   the configure step.

cmake_build() {
    local dir=$1 targets=$2
    shift 2
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
