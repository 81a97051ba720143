#!/usr/bin/env bash
# Builds PLIM three times (plain, AddressSanitizer with UndefinedBehaviorSanitizer,
# ThreadSanitizer) and runs the whole suite in each, headless.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"

source tools/sanitizer-aslr.sh

status=0
run_suite() {
    local name=$1 dir=$2; shift 2
    echo "=== $name ==="
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_BENCH=OFF -DPLIM_TOOLS=ON -DPLIM_TESTS=ON -DPLIM_WERROR=ON "$@" >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"; status=1; return
    fi
    # The build runs what it builds too (the icons are drawn by a program).
    local runner=()
    [[ $name == *sanitizer* ]] && runner=("${NO_ASLR[@]}")
    if ! "${runner[@]}" cmake --build "$dir" -j"$jobs" >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log"; status=1; return
    fi
    (cd "$dir" && "${runner[@]}" ctest -j"$jobs" --output-on-failure --timeout 300) || status=1
    # Figures the long-running checks print about themselves.
    grep -h "^crash consistency" "$dir/Testing/Temporary/LastTest.log" 2>/dev/null
}

echo "=== format ==="
tools/check-format.sh || status=1

mkdir -p build-test build-asan build-tsan
run_suite "plain" build-test -DPLIM_BENCH=ON  # the benchmarks must build too
run_suite "address+undefined sanitizers" build-asan -DPLIM_SANITIZE=address,undefined
run_suite "thread sanitizer" build-tsan -DPLIM_SANITIZE=thread

echo "=== fuzzing (short runs) ==="
tools/run-fuzz.sh "${PLIM_FUZZ_SECONDS:-60}" || status=1

if [[ $status == 0 ]]; then echo "ALL SUITES PASSED"; else echo "SOME SUITES FAILED"; fi
exit $status
