// How long a step lasts: the one timing rule the step clock and the grid's
// playhead share.
#pragma once

#include "app/core/app_state.h"

// Output samples in a minute; a beat at `pace` lasts SAMPLES_PER_MINUTE / pace.
constexpr int32_t SAMPLES_PER_MINUTE = SAMPLE_RATE * 60;
constexpr int32_t STEPS_PER_BEAT = 4;  // a step is a sixteenth note

// Length in samples of the step now playing (state.step) under the current
// pace, bank and wobble: a sixteenth note, stretched or shortened by wobble.
// Reads only those four fields.  Either thread.
double step_length(const AppState& state);
