#!/usr/bin/env bash
# Writes examples/demo/plim.state, the demo song, with plim-song (built by
# `make build`; PLIM_SONG names another): the grid below and six settings.
set -euo pipefail
cd "$(dirname "$0")/.." || exit 1
plim_song=${PLIM_SONG:-build/plim-song}

# In the file's order: pace, voice, bank, wobble, echo, space.
settings=(96 1 2 1 2 1)
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
"$plim_song" examples/demo "${settings[@]}" "${grid[@]}"
