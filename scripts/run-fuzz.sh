#!/usr/bin/env bash
# Builds the libFuzzer programs with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs them all side by side for SECONDS
# each (default 60).  A fuzzer that finds a crash leaves the input in build-fuzz/findings.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
source scripts/common.sh
seconds=${1:-60}

CC=clang CXX=clang++ cmake_build build-fuzz fuzzers -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIM_FUZZ=ON \
    -DPLIM_SANITIZE=address,undefined -DPLIM_TESTS=OFF -DPLIM_BENCH=OFF -DPLIM_TOOLS=OFF \
    -DPLIM_WERROR=ON || {
    echo "fuzz build: FAILED, the fuzzers did not build (whole log: build-fuzz.build.log)"
    exit 1
}

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
sanitizers_without_aslr
work=$(mktemp -d)
trap 'rm -rf "$work"; restore_aslr_bits' EXIT
mkdir -p build-fuzz/findings

run_fuzzer() {
    local name=$1
    mkdir -p "$work/$name"
    [[ -d fuzz/corpus/$name ]] && cp fuzz/corpus/"$name"/* "$work/$name"/ 2>/dev/null
    "${NO_ASLR[@]}" build-fuzz/"$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/"$name"- "$work/$name" >"$work/$name.log" 2>&1
    echo $? >"$work/$name.status"
}

fuzzers=(build-fuzz/*_fuzz)
status=0
for fuzzer in "${fuzzers[@]}"; do run_fuzzer "$(basename "$fuzzer")" & done
wait
# A run passes only when the fuzzer exited 0 after trying inputs; one that
# died any other way fails the run, with or without a finding saved.
for fuzzer in "${fuzzers[@]}"; do
    name=$(basename "$fuzzer")
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    corpus=$(ls "$work/$name" | wc -l)
    code=$(cat "$work/$name.status")
    findings=$(ls build-fuzz/findings/"$name"-* 2>/dev/null | wc -l)
    if [[ $code == 0 && ${runs:-0} -gt 0 ]]; then
        echo "fuzz ${name%_fuzz}: $runs random inputs in ${seconds} s, none crashed or failed a check ($corpus kept as its corpus)"
        # Figures a fuzzer prints about itself ("audio fuzz: ...").
        grep -h "^${name%_fuzz} fuzz:" "$work/$name.log" | tail -n 1
    elif [[ $findings -gt 0 ]]; then
        echo "fuzz ${name%_fuzz}: FAILED (exit status $code); the input is kept in build-fuzz/findings:"
        ls build-fuzz/findings/"$name"-*
        tail -n 40 "$work/$name.log"; status=1
    else
        echo "fuzz ${name%_fuzz}: FAILED: died with exit status $code after ${runs:-no} inputs and saved no finding"
        tail -n 40 "$work/$name.log"; status=1
    fi
done
exit $status
