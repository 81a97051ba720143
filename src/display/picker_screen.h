// The bank picker: the logo revealed letter by letter and the three banks.
#pragma once

#include "app/core/app_state.h"
#include "display/text.h"

#include <SDL.h>

#include <cstdint>

constexpr int LOGO_LETTERS = 4;

// The dot rows of P, L, I and M, drawn large on the picker.
extern const uint8_t LOGO_GLYPHS[LOGO_LETTERS][GLYPH_ROWS];

// Clears to black and draws the picker.  now: SDL_GetTicks of this frame;
// the logo is revealed from state.logo_start.  Main thread.
void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now);
