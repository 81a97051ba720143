#!/usr/bin/env bash
# tools/busy-songs.sh OUTDIR: writes the nine busy songs the cross checks
# render, OUTDIR/busy-BV/plim.state for bank B and voice V: every cell lit,
# pace 108, wobble 2, echo 3, space 3.
set -euo pipefail
out=${1:?usage: tools/busy-songs.sh OUTDIR}

# song DIR PACE VOICE BANK WOBBLE ECHO SPACE: the full grid with these settings.
song() {
    local dir=$1 value shift_by
    shift
    mkdir -p "$dir"
    {
        for ((cell = 0; cell < 128; cell++)); do printf '\001'; done
        for value in "$@"; do
            for shift_by in 0 8 16 24; do
                printf '%b' "\\$(printf '%03o' $((value >> shift_by & 255)))"
            done
        done
    } >"$dir/plim.state"
}

for bank in 0 1 2; do
    for voice in 0 1 2; do
        song "$out/busy-$bank$voice" 108 "$voice" "$bank" 2 3 3
    done
done
