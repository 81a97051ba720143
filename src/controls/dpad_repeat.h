// The D-pad's auto-repeat on the grid: which button repeats and when.  The
// actions start and end it; the repeat timers run it.  Main thread only.
#pragma once

#include "app/core/ticks.h"
#include "controls/pad.h"

#include <cstdint>

constexpr int32_t DPAD_FIRST_MS = 220;  // press to first repeat
constexpr int32_t DPAD_REPEAT_MS = 72;  // repeat to repeat

// D-pad button n has just moved the cursor: while it is held it repeats,
// first DPAD_FIRST_MS from now.
inline void start_dpad_repeat(InputState& input, int32_t n, int32_t now)
{
    input.dpad_held = n;
    input.dpad_due = ticks_after(now, DPAD_FIRST_MS);
}

// Button n is released: the repeat ends if it was n's.
inline void end_dpad_repeat(InputState& input, int32_t n)
{
    if (n == input.dpad_held) input.dpad_held = -1;
}

// A repeat was made at now: the next one follows DPAD_REPEAT_MS later.
inline void next_dpad_repeat(InputState& input, int32_t now)
{
    input.dpad_due = ticks_after(now, DPAD_REPEAT_MS);
}
