// plim-shot DIR OUTDIR: pictures of the three screens for the song saved in
// DIR, drawn by the program's own drawing code, written as OUTDIR/picker.png,
// guide.png and grid.png.
//
// The picker shows its logo complete; the grid is shown at rest (no
// playhead), without flashes or a message, with the cursor on the top-left
// cell and the blocks swayed as at tick 0.  The voice is the one saved.
#include "png_file.h"
#include "saved_song.h"
#include "tool_arguments.h"

#include "app/core/directories.h"
#include "app/core/durable_file.h"
#include "app/core/state_file.h"
#include "display/canvas.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

constexpr uint32_t SHOT_PICKER_TICKS = 1000;  // the logo is complete from 285 ms on
constexpr int32_t SHOT_GRID_TICKS = 0;

static const char USAGE[] =
    "usage: plim-shot DIR OUTDIR\n"
    "  draws the three screens for DIR/" STATE_FILE_NAME_LITERAL
    " into\n"
    "  OUTDIR/picker.png, OUTDIR/guide.png and OUTDIR/grid.png\n";

// Writes the canvas picture as OUTDIR/name.
static bool write_picture(const char* out_dir, const char* name, const uint8_t* rgb)
{
    char path[DURABLE_PATH_SIZE];
    int length = std::snprintf(path, sizeof path, "%s/%s", out_dir, name);
    if (length < 0 || length >= DURABLE_PATH_SIZE) {
        std::fprintf(stderr, "plim-shot: output path too long: %s\n", out_dir);
        return false;
    }
    return write_png_file("plim-shot", path, CANVAS_WIDTH, CANVAS_HEIGHT, PNG_FORMAT_RGB, rgb);
}

// Loads the song the way the program does (a directory without one gives the
// empty song), then freezes the moving parts.
static bool load_song(AppState& state, const char* dir)
{
    SongCheck song = load_saved_song(state, dir);
    if (song.status == SONG_ABSENT) {
        std::fprintf(stderr, "plim-shot: no %s; drawing the empty song\n", state.state_path);
    } else if (song.status != SONG_LOADED) {
        report_song_problem("plim-shot", dir, song);
        return false;
    }
    state.resting.store(1);
    state.logo_start = 0;
    return true;
}

static bool shoot(Canvas& canvas, AppState& state, const char* out_dir)
{
    static uint8_t rgb[CANVAS_RGB_BYTES];
    for (int screen = SCREEN_PICKER; screen <= SCREEN_GRID; screen++) {
        const char* name = "grid.png";
        if (screen == SCREEN_PICKER) {
            draw_picker_screen(canvas.renderer, state, SHOT_PICKER_TICKS);
            name = "picker.png";
        } else if (screen == SCREEN_GUIDE) {
            draw_guide_screen(canvas.renderer);
            name = "guide.png";
        } else {
            draw_grid_screen(canvas.renderer, state, SHOT_GRID_TICKS);
        }
        if (!canvas_read(canvas, SDL_PIXELFORMAT_RGB24, rgb)) {
            std::fprintf(stderr, "plim-shot: cannot read the canvas: %s\n", SDL_GetError());
            return false;
        }
        if (!write_picture(out_dir, name, rgb)) return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    const ToolCommand command = {{"plim-shot", {"DIR", "OUTDIR"}, 2, 2, nullptr}, USAGE};
    const char* operands[2];
    int count = 0;
    int status = read_tool_arguments(command, argc, argv, operands, count);
    if (status != TOOL_GO_ON) return status;
    const char* dir = operands[0];
    const char* out_dir = operands[1];
    if (std::strcmp(out_dir, "-") == 0) {
        refuse_command("plim-shot",
                       "OUTDIR must be a directory: three pictures cannot go to one stream (-)");
        return TOOL_EXIT_USAGE;
    }
    static AppState state;
    if (!load_song(state, dir)) return TOOL_EXIT_FAILED;
    if (!make_directories(out_dir)) {
        std::fprintf(stderr, "plim-shot: cannot use %s as the output directory: %s\n", out_dir,
                     std::strerror(errno));
        return TOOL_EXIT_FAILED;
    }

    Canvas canvas;
    if (!canvas_open(canvas)) {
        std::fprintf(stderr, "plim-shot: cannot make a canvas: %s\n", SDL_GetError());
        return TOOL_EXIT_FAILED;
    }
    bool written = shoot(canvas, state, out_dir);
    canvas_close(canvas);
    SDL_Quit();
    if (!written) return TOOL_EXIT_FAILED;
    std::printf("plim-shot: wrote %s/picker.png, guide.png and grid.png\n", out_dir);
    return 0;
}
