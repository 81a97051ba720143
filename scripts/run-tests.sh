#!/usr/bin/env bash
# run-tests.sh: the test command.  Checks the code's layout, builds PLIM three
# times (plain, AddressSanitizer with UndefinedBehaviorSanitizer,
# ThreadSanitizer), runs the whole suite in each, headless, and runs each
# fuzzer for PLIM_FUZZ_SECONDS (60).  Each suite's test output goes to
# DIR.test.log and is printed whole when a test fails; the run ends with a
# summary of a few lines.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"

sanitizers_without_aslr

started=$SECONDS
status=0
summary=()
# note WHAT TEXT: one line of the summary.
note() { summary+=("$(printf '  %-11s %s' "$1" "$2")"); }
minutes() { if (($1 >= 60)); then echo "$(($1 / 60)) min $(($1 % 60)) s"; else echo "$1 s"; fi; }

# The crash test's figures, in words: "crash consistency (seed S): K kills
# survived in T ms; L left a save's temporary file behind, B came before the
# first save; N songs seen".
crash_words() {
    local line=$1 kills left before
    read -r kills left before < <(sed -n \
        's/^crash consistency.*: \([0-9]*\) kills survived.*; \([0-9]*\) left.*, \([0-9]*\) came before.*/\1 \2 \3/p' \
        <<<"$line")
    if [[ -z $kills ]]; then
        echo "$line"
        return
    fi
    echo "plim killed $kills times while saving; every time the song file was whole" \
        "(or not yet written: $before kills came before the first save). $left kills left" \
        "plim.state.tmp behind: expected and harmless, the next save replaces it."
}

# run_suite NAME DIR [OPTION...]: builds DIR and runs its tests.
run_suite() {
    local name=$1 dir=$2
    shift 2
    echo "=== $name: building $dir, then the suite ==="
    local start=$SECONDS runner=()
    # The build runs what it builds too (the icons are drawn by a program).
    [[ $name != plain ]] && runner=("${NO_ASLR[@]}")
    BUILD_RUNNER=("${runner[@]}")
    if ! cmake_build "$dir" all -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_TOOLS=ON -DPLIM_TESTS=ON \
        -DPLIM_WERROR=ON "$@"; then
        note "$name" "FAILED to build (log: $dir.build.log)"
        status=1
        return
    fi
    local built=$SECONDS
    (cd "$dir" && "${runner[@]}" ctest -j"${JOBS:-$(nproc)}" --output-on-failure --timeout 300) \
        >"$dir.test.log" 2>&1
    local code=$?
    local result
    result=$(grep -E '^[0-9]+% tests passed' "$dir.test.log" | tail -n 1)
    local times="built in $(minutes $((built - start))), tests ran $(minutes $((SECONDS - built)))"
    if [[ $code == 0 ]]; then
        local passed
        passed=$(sed -n 's/.* out of \([0-9]*\)$/\1/p' <<<"$result")
        echo "${passed:-all} tests passed"
        note "$name" "${passed:-all} tests passed; $times"
    else
        cat "$dir.test.log"
        note "$name" "FAILED: ${result:-ctest exited with status $code}; $times (log: $dir.test.log)"
        status=1
    fi
    local crash
    crash=$(grep -h "^crash consistency" "$dir/Testing/Temporary/LastTest.log" 2>/dev/null | tail -n 1)
    [[ -n $crash ]] && note "crash test" "($name) $(crash_words "$crash")"
}

echo "=== format ==="
if format=$(scripts/check-format.sh); then
    note format "${format#format: }"
else
    note format "FAILED: files not laid out as .clang-format says (make format fixes them)"
    status=1
fi
echo "$format"

run_suite plain build-test -DPLIM_BENCH=ON # the benchmarks must build too
run_suite "asan+ubsan" build-asan -DPLIM_SANITIZE=address,undefined -DPLIM_BENCH=OFF
run_suite tsan build-tsan -DPLIM_SANITIZE=thread -DPLIM_BENCH=OFF

echo "=== fuzzing (short runs) ==="
fuzz_start=$SECONDS
fuzz_log=$(mktemp)
scripts/run-fuzz.sh "${PLIM_FUZZ_SECONDS:-60}" | tee "$fuzz_log"
[[ ${PIPESTATUS[0]} == 0 ]] || status=1
# Each fuzzer's line (passed or failed), and the figures a fuzzer prints
# about itself.
while IFS= read -r line; do
    note fuzz "${line#fuzz }"
done < <(grep -E '^fuzz [a-z_]+: |^[a-z_]+ fuzz: ' "$fuzz_log")
rm -f "$fuzz_log"
note "" "(fuzzing took $(minutes $((SECONDS - fuzz_start))))"

echo
echo "=== summary: $(minutes $((SECONDS - started))) in all ==="
printf '%s\n' "${summary[@]}"
if [[ $status == 0 ]]; then echo "ALL SUITES PASSED"; else echo "SOME SUITES FAILED"; fi
exit $status
