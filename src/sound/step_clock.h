// The step clock: advances through the 16 steps and starts the lit rows of each.
#pragma once

#include "app/core/app_state.h"

// One sample of the step clock: advances step_pos and, at the end of the
// step, moves to the next step and starts its lit rows.  Audio thread.
void clock_tick(AppState& state);

// Starts the voice of one row.  The main thread holds the audio lock around it.
void start_voice(AppState& state, int row, double peak, double pitch_mul);
