// Silencing the engine, and telling when it has fallen silent for good.
#pragma once

#include "app/core/app_state.h"

// True when no voice sounds and every filter, echo and comb memory is so
// small that the feedback can never bring back one unit of output.  Reads the
// whole echo line: for offline rendering, not for the audio callback.
bool engine_silent(const AppState& state);

// Silences every voice (envelope and gate to 0) and clears the effect
// memories: the echo line, both combs, the tone filter and the DC blocker.
// Phases, pitches, peaks, mix levels, buffer positions and the limiter run
// on.  Main thread, holding the audio lock.
void silence_engine(AppState& state);
