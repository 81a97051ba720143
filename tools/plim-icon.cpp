// plim-icon SIZE OUT.png: the desktop icon, PLIM's block-letter logo on a
// dark rounded square, SIZE x SIZE pixels (16 to 512), drawn with the picker's
// own logo code.  The build runs it for each installed size; it is not
// installed itself.
#include "png_file.h"

#include "display/picker_screen.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

constexpr int ICON_MIN_SIZE = 16;
constexpr int ICON_MAX_SIZE = 512;
constexpr uint8_t GREY_BACKGROUND = 24;

// The square's corners are rounded with this radius, in parts of the size.
constexpr double CORNER_PART = 1.0 / 6.0;

// The largest dot that fits the logo's 23 dots across with a margin of a
// 32nd of the size on each side (48 px: 2, 128 px: 5, 256 px: 10).
static int dot_size(int size)
{
    int dot = (size - 2 * (size / 32)) / LOGO_WIDTH_DOTS;
    return dot > 0 ? dot : 1;
}

// A dark square with round corners (the rest stays transparent), filled one
// pixel row at a time.
static void draw_background(SDL_Renderer* renderer, int size)
{
    double radius = size * CORNER_PART;
    SDL_SetRenderDrawColor(renderer, GREY_BACKGROUND, GREY_BACKGROUND, GREY_BACKGROUND, 255);
    for (int y = 0; y < size; y++) {
        double from_edge = std::fmin(y + 0.5, size - y - 0.5);
        int inset = 0;
        if (from_edge < radius) {
            double rise = radius - from_edge;
            inset =
                static_cast<int>(std::lround(radius - std::sqrt(radius * radius - rise * rise)));
        }
        SDL_Rect row = {inset, y, size - 2 * inset, 1};
        SDL_RenderFillRect(renderer, &row);
    }
}

static void draw_icon(SDL_Renderer* renderer, int size)
{
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);
    SDL_RenderClear(renderer);
    draw_background(renderer, size);
    int dot = dot_size(size);
    int left = (size - LOGO_WIDTH_DOTS * dot) / 2;
    int top = (size - LOGO_HEIGHT_DOTS * dot) / 2;
    draw_logo(renderer, left, top, dot, LOGO_LETTERS);
}

int main(int argc, char** argv)
{
    char* end = nullptr;
    long size = argc == 3 ? std::strtol(argv[1], &end, 10) : 0;
    if (argc != 3 || *end != '\0' || size < ICON_MIN_SIZE || size > ICON_MAX_SIZE) {
        std::fprintf(stderr, "usage: plim-icon SIZE OUT.png   (SIZE from %d to %d pixels)\n",
                     ICON_MIN_SIZE, ICON_MAX_SIZE);
        return 2;
    }
    int pixels = static_cast<int>(size);

    static uint8_t rgba[ICON_MAX_SIZE * ICON_MAX_SIZE * 4];
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormat(0, pixels, pixels, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_Renderer* renderer = surface ? SDL_CreateSoftwareRenderer(surface) : nullptr;
    bool drawn = false;
    if (renderer) {
        SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
        draw_icon(renderer, pixels);
        drawn =
            SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_RGBA32, rgba, pixels * 4) == 0;
    }
    if (!drawn) std::fprintf(stderr, "plim-icon: cannot draw: %s\n", SDL_GetError());
    if (renderer) SDL_DestroyRenderer(renderer);
    if (surface) SDL_FreeSurface(surface);
    SDL_Quit();
    if (!drawn) return 1;
    return write_png_file("plim-icon", argv[2], pixels, pixels, PNG_FORMAT_RGBA, rgba) ? 0 : 1;
}
