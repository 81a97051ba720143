// An off-screen canvas drawn by SDL's software renderer.
#include "display/canvas.h"

bool canvas_open(Canvas& canvas)
{
    canvas.surface = SDL_CreateRGBSurfaceWithFormat(0, CANVAS_WIDTH, CANVAS_HEIGHT, 32,
                                                    SDL_PIXELFORMAT_ARGB8888);
    if (!canvas.surface) return false;
    canvas.renderer = SDL_CreateSoftwareRenderer(canvas.surface);
    if (canvas.renderer) return true;
    SDL_FreeSurface(canvas.surface);
    canvas.surface = nullptr;
    return false;
}

void canvas_close(Canvas& canvas)
{
    if (canvas.renderer) SDL_DestroyRenderer(canvas.renderer);
    if (canvas.surface) SDL_FreeSurface(canvas.surface);
    canvas.renderer = nullptr;
    canvas.surface = nullptr;
}

bool canvas_read_rgb(Canvas& canvas, uint8_t* rgb)
{
    return SDL_RenderReadPixels(canvas.renderer, nullptr, SDL_PIXELFORMAT_RGB24, rgb,
                                CANVAS_WIDTH * 3) == 0;
}
