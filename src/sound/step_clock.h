// The step clock: advances through the 16 steps and starts the lit rows of each.
#pragma once

#include "app/core/app_state.h"

// What the next tick of the clock will do, under the settings as they are now.
struct NextTick {
    double pos;      // step_pos after the tick
    double length;   // the current step's length
    bool ends_step;  // the tick moves on to the next step and starts its notes
};
NextTick next_tick(const AppState& state);

// One sample of the step clock: advances step_pos and, at the end of the
// step, moves to the next step and starts its lit rows.  Audio thread.
void clock_tick(AppState& state);

// Starts the voice of one row.  The main thread holds the audio lock around it.
void start_voice(AppState& state, int row, double peak, double pitch_mul);
