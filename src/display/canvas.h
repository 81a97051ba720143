// An off-screen canvas drawn by SDL's software renderer, for the screenshot
// tool, the icon maker, the tests and the benchmarks.  Not used by the program.
#pragma once

#include "display/canvas_size.h"

#include <SDL.h>

#include <cstdint>

constexpr int CANVAS_RGB_BYTES = CANVAS_WIDTH * CANVAS_HEIGHT * 3;

struct Canvas {
    SDL_Surface* surface = nullptr;  // 32 bits a pixel, alpha included
    SDL_Renderer* renderer = nullptr;
};

// Makes a width x height surface (the screens' canvas size unless given) and
// its renderer.  False (with SDL_GetError set and nothing held) if either
// cannot be had.
bool canvas_open(Canvas& canvas, int width = CANVAS_WIDTH, int height = CANVAS_HEIGHT);
void canvas_close(Canvas& canvas);

// Finishes pending drawing and copies the canvas out in format
// (SDL_PIXELFORMAT_RGB24 or SDL_PIXELFORMAT_RGBA32), rows top first with no
// padding.  False if SDL refuses.
bool canvas_read(Canvas& canvas, uint32_t format, uint8_t* pixels);
