// An off-screen 640 x 480 canvas drawn by SDL's software renderer, for the
// screenshot tool, the tests and the benchmarks.  Not used by the program.
#pragma once

#include "display/canvas_size.h"

#include <SDL.h>

#include <cstdint>

constexpr int CANVAS_RGB_BYTES = CANVAS_WIDTH * CANVAS_HEIGHT * 3;

struct Canvas {
    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
};

// Makes the surface and its renderer.  False (with SDL_GetError set and
// nothing held) if either cannot be had.
bool canvas_open(Canvas& canvas);
void canvas_close(Canvas& canvas);

// Finishes pending drawing and copies the canvas out as rows of R, G, B
// bytes, top row first: CANVAS_RGB_BYTES bytes.  False if SDL refuses.
bool canvas_read_rgb(Canvas& canvas, uint8_t* rgb);
