// The stick step and the D-pad auto-repeat.  Main thread, inside the frame loop.
#pragma once

#include "app/core/app_state.h"
#include "controls/input.h"

#include <cstdint>

constexpr int32_t STICK_GRID_MS = 72;     // stick step on the grid
constexpr int32_t STICK_PICKER_MS = 220;  // stick step (bank change) on the picker

// The stick step and the D-pad repeat; once per frame, after the events.
void run_repeat_timers(AppState& state, InputState& input, int32_t now);
