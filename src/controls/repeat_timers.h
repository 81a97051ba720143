// The stick step and the D-pad auto-repeat.  Main thread, inside the frame loop.
#pragma once

#include "app/core/app_state.h"
#include "controls/pad.h"

#include <cstdint>

// The stick step and the D-pad repeat; once per frame, after the events.
void run_repeat_timers(AppState& state, InputState& input, int32_t now);
