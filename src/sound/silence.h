// Whether the engine has fallen silent for good.
#pragma once

#include "app/core/app_state.h"

// True when no voice sounds and every filter, echo and comb memory is so
// small that the feedback can never bring back one unit of output.  Reads the
// whole echo line: for offline rendering, not for the audio callback.
bool engine_silent(const AppState& state);
