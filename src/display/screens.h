// The three screens.  Main thread; each clears to black and redraws everything.
#pragma once

#include "app/app_state.h"
#include "display/text.h"

#include <SDL.h>

#include <cstdint>

// Every screen is drawn in this logical canvas, whatever the display's size.
constexpr int CANVAS_WIDTH = 640;
constexpr int CANVAS_HEIGHT = 480;

constexpr int LOGO_LETTERS = 4;
constexpr int GUIDE_ROW_COUNT = 12;

// The dot rows of P, L, I and M, drawn large on the picker.
extern const uint8_t LOGO_GLYPHS[LOGO_LETTERS][GLYPH_ROWS];

struct GuideRow {
    const char* control;
    const char* action;
};
// The guide's table, top to bottom.
extern const GuideRow GUIDE_ROWS[GUIDE_ROW_COUNT];

// now: SDL_GetTicks of this frame.  The logo is revealed from state.logo_start.
void draw_picker_screen(SDL_Renderer* renderer, const AppState& state, uint32_t now);
void draw_guide_screen(SDL_Renderer* renderer);
// now: SDL_GetTicks of this frame, for the sway and the status message.
// Also fades the flash levels: each call is one drawn frame.
void draw_grid_screen(SDL_Renderer* renderer, AppState& state, int32_t now);
