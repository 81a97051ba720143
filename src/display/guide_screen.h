// The guide: which control does what, and a prompt to go on.
#pragma once

#include <SDL.h>

constexpr int GUIDE_ROW_COUNT = 12;

struct GuideRow {
    const char* control;
    const char* action;
};
// The guide's table, top to bottom.
extern const GuideRow GUIDE_ROWS[GUIDE_ROW_COUNT];

// Clears to black and draws the guide.  Main thread.
void draw_guide_screen(SDL_Renderer* renderer);
