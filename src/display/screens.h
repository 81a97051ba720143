// The three screens.  Main thread; each clears to black and redraws everything.
#pragma once

#include "app/app_state.h"

#include <SDL.h>

#include <cstdint>

// now: SDL_GetTicks of this frame.
void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now);
void draw_guide_screen(SDL_Renderer* renderer);
// Also fades the flash levels.
void draw_grid_screen(SDL_Renderer* renderer, AppState& state, int32_t now);
