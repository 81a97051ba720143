#!/usr/bin/env bash
# Writes examples/demo/plim.state, the demo song: the grid below and six
# settings, as the program saves them (152 bytes, integers little-endian).
set -euo pipefail
out="$(dirname "$0")/demo/plim.state"

# Rows top (C5) to bottom (G3); one character per step, x = lit.
grid=(
    "..........x....."
    "......x.......x."
    "...x.....x......"
    "..x..x......x..."
    ".x.........x...."
    "x...x...x....x.."
    "...............x"
    "x......x........"
)
# In file order: pace, voice, bank, wobble, echo, space.
settings=(96 1 2 1 2 1)

byte() { printf "\\$(printf '%03o' "$1")"; }
le32() { for shift in 0 8 16 24; do byte $(($1 >> shift & 255)); done; }

{
    for row in "${grid[@]}"; do
        for ((i = 0; i < 16; i++)); do
            if [[ ${row:i:1} == x ]]; then byte 1; else byte 0; fi
        done
    done
    for value in "${settings[@]}"; do le32 "$value"; done
} >"$out.tmp"
mv "$out.tmp" "$out"
