// The bank picker: the logo revealed letter by letter and the three banks.
#pragma once

#include "app/core/app_state.h"
#include "display/text.h"

#include <SDL.h>

#include <cstdint>

// The logo: the font's capitals, drawn large.
inline constexpr char LOGO_TEXT[] = "PLIM";
constexpr int LOGO_LETTERS = sizeof LOGO_TEXT - 1;

// The dot rows of the logo's letter i (0 to LOGO_LETTERS - 1).
constexpr const uint8_t* logo_glyph(int i) { return FONT_GLYPHS[LOGO_TEXT[i] - 'A']; }

// The whole logo's size in dots: the letters with a blank column between.
constexpr int LOGO_WIDTH_DOTS = GLYPH_ADVANCE * (LOGO_LETTERS - 1) + GLYPH_COLUMNS;
constexpr int LOGO_HEIGHT_DOTS = GLYPH_ROWS;

// Draws the first letters (1 to LOGO_LETTERS) of the logo in white, each dot
// a filled square of dot x dot pixels, the top-left dot at (left, top).  The
// picker draws it; so does the icon maker.
void draw_logo(SDL_Renderer* renderer, int left, int top, int dot, int letters);

// Clears to black and draws the picker.  now: SDL_GetTicks of this frame;
// the logo is revealed from state.logo_start.  Main thread.
void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now);
