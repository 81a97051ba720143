// An off-screen canvas drawn by SDL's software renderer.
#include "display/canvas.h"

bool canvas_open(Canvas& canvas, int width, int height)
{
    canvas.surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
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

bool canvas_read(Canvas& canvas, uint32_t format, uint8_t* pixels)
{
    int pitch = canvas.surface->w * SDL_BYTESPERPIXEL(format);
    return SDL_RenderReadPixels(canvas.renderer, nullptr, format, pixels, pitch) == 0;
}
