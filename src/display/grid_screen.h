// The grid screen: grid, playhead, swaying blocks, flashes, cursor, status
// line, pace meter and voice dots.
#pragma once

#include "app/core/app_state.h"

#include <SDL.h>

#include <cstdint>

// Clears to black and draws the grid.  now: SDL_GetTicks of this frame, for
// the sway and the status message.  Also fades the flash levels: each call is
// one drawn frame.  Main thread.
void draw_grid_screen(SDL_Renderer* renderer, AppState& state, int32_t now);
