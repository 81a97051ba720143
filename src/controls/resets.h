// The two resets.  Main thread; each takes the audio lock once.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>

// Leaving the guide: silences the voices, clears the effects, shows the grid.
void enter_grid(AppState& state, int32_t now);
// FRESH START: empty grid, default settings, silence; the screen stays.
void fresh_start(AppState& state, int32_t now);
