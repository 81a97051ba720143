// The guide: which control does what, and a prompt to go on.
#pragma once

#include <SDL.h>

// Clears to black and draws the guide.  Main thread.
void draw_guide_screen(SDL_Renderer* renderer);
