// plim-icon SIZE OUT.png [maskable]: the desktop icon, PLIM's block-letter
// logo on a dark rounded square, SIZE x SIZE pixels (16 to 512), drawn with
// the picker's own logo code.  With "maskable", the same logo on a dark
// square filling the picture, small enough for any shape a phone cuts the
// picture to (the page's app icon).  The build runs it for each installed
// size and for the page; it is not installed itself.
#include "png_file.h"
#include "tool_arguments.h"

#include "display/canvas.h"
#include "display/grey.h"
#include "display/picker_screen.h"

#include <cmath>
#include <cstdio>
#include <cstring>

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

// The largest dot that keeps the whole logo inside the circle in the middle
// of a maskable icon that no cut-out shape may cross: its diameter four
// fifths of the size (192 px: 6, 512 px: 17).
static int maskable_dot_size(int size)
{
    const int diagonal_squared =
        LOGO_WIDTH_DOTS * LOGO_WIDTH_DOTS + LOGO_HEIGHT_DOTS * LOGO_HEIGHT_DOTS;
    const int circle_fifths = 4 * size;  // the circle's diameter, times 5
    int dot = 1;
    while ((dot + 1) * (dot + 1) * diagonal_squared * 25 <= circle_fifths * circle_fifths) dot++;
    return dot;
}

// A dark square with round corners (the rest stays transparent), filled one
// pixel row at a time.
static void draw_background(SDL_Renderer* renderer, int size)
{
    double radius = size * CORNER_PART;
    set_grey(renderer, GREY_BACKGROUND);
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

static void draw_icon(SDL_Renderer* renderer, int size, bool maskable)
{
    SDL_SetRenderDrawBlendMode(renderer, SDL_BLENDMODE_NONE);
    int dot = 0;
    if (maskable) {
        set_grey(renderer, GREY_BACKGROUND);  // to every edge: the phone cuts its own shape
        SDL_RenderClear(renderer);
        dot = maskable_dot_size(size);
    } else {
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 0);  // transparent around the square
        SDL_RenderClear(renderer);
        draw_background(renderer, size);
        dot = dot_size(size);
    }
    int left = (size - LOGO_WIDTH_DOTS * dot) / 2;
    int top = (size - LOGO_HEIGHT_DOTS * dot) / 2;
    draw_logo(renderer, left, top, dot, LOGO_LETTERS);
}

static const char USAGE[] =
    "usage: plim-icon SIZE OUT.png [maskable]\n"
    "  draws the desktop icon, SIZE x SIZE pixels (16 to 512); with maskable, on a\n"
    "  full square with the logo inside its middle circle of 4/5 the size\n";

int main(int argc, char** argv)
{
    static_assert(ICON_MIN_SIZE == 16 && ICON_MAX_SIZE == 512, "the usage text says so");
    const ToolCommand command = {{"plim-icon", {"SIZE", "OUT.png", "maskable"}, 2, 3, nullptr},
                                 USAGE};
    const char* operands[3];
    int count = 0;
    int status = read_tool_arguments(command, argc, argv, operands, count);
    if (status != TOOL_GO_ON) return status;
    int size = 0;
    if (!read_whole_number(operands[0], ICON_MIN_SIZE, ICON_MAX_SIZE, size)) {
        std::fprintf(stderr, "plim-icon: SIZE must be a whole number from %d to %d, not \"%s\"\n",
                     ICON_MIN_SIZE, ICON_MAX_SIZE, operands[0]);
        return TOOL_EXIT_USAGE;
    }
    const bool maskable = count == 3 && std::strcmp(operands[2], "maskable") == 0;
    if (count == 3 && !maskable) {
        std::fprintf(stderr, "plim-icon: the third operand can only be \"maskable\", not \"%s\"\n",
                     operands[2]);
        return TOOL_EXIT_USAGE;
    }

    static uint8_t rgba[ICON_MAX_SIZE * ICON_MAX_SIZE * 4];
    Canvas canvas;
    bool drawn = canvas_open(canvas, size, size);
    if (drawn) {
        draw_icon(canvas.renderer, size, maskable);
        drawn = canvas_read(canvas, SDL_PIXELFORMAT_RGBA32, rgba);
    }
    if (!drawn) std::fprintf(stderr, "plim-icon: cannot draw: %s\n", SDL_GetError());
    canvas_close(canvas);
    SDL_Quit();
    if (!drawn) return TOOL_EXIT_FAILED;
    bool written = write_png_file("plim-icon", operands[1], size, size, PNG_FORMAT_RGBA, rgba);
    return written ? 0 : TOOL_EXIT_FAILED;
}
