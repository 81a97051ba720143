// Every colour PLIM draws is a grey: red, green and blue alike, fully opaque.
#pragma once

#include <SDL.h>

#include <cstdint>

// Sets the renderer's draw colour to the grey of that level (0 black, 255 white).
inline void set_grey(SDL_Renderer* renderer, uint8_t grey)
{
    SDL_SetRenderDrawColor(renderer, grey, grey, grey, 255);
}
