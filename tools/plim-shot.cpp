// plim-shot DIR OUTDIR: pictures of the three screens for the song saved in
// DIR, drawn by the program's own drawing code, written as OUTDIR/picker.png,
// guide.png and grid.png.
//
// The picker shows its logo complete; the grid is shown at rest (no
// playhead), without flashes or a message, with the cursor on the top-left
// cell and the blocks swayed as at tick 0.  The voice is the one saved.
#include "app/core/state_file.h"
#include "display/canvas.h"
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"

#include <png.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

constexpr uint32_t SHOT_PICKER_TICKS = 1000;  // the logo is complete from 285 ms on
constexpr int32_t SHOT_GRID_TICKS = 0;
constexpr int OUT_PATH_SIZE = 4096;

static bool is_directory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// OUTDIR may be missing (it is made, one level) but must end up a directory.
static bool prepare_out_dir(const char* path)
{
    if (is_directory(path)) return true;
    if (mkdir(path, 0777) == 0) return true;
    std::fprintf(stderr, "plim-shot: cannot use %s as the output directory: %s\n", path,
                 errno == EEXIST ? "not a directory" : std::strerror(errno));
    return false;
}

// Writes the canvas picture through "<name>.tmp" and a rename, so a picture
// is either the old one or complete.
static bool write_png(const char* out_dir, const char* name, const uint8_t* rgb)
{
    char path[OUT_PATH_SIZE];
    char temp_path[OUT_PATH_SIZE];
    int length = std::snprintf(path, sizeof path, "%s/%s", out_dir, name);
    int temp_length = std::snprintf(temp_path, sizeof temp_path, "%s/%s.tmp", out_dir, name);
    if (length < 0 || temp_length < 0 || temp_length >= OUT_PATH_SIZE) {
        std::fprintf(stderr, "plim-shot: output path too long: %s\n", out_dir);
        return false;
    }

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = CANVAS_WIDTH;
    image.height = CANVAS_HEIGHT;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, temp_path, 0, rgb, CANVAS_WIDTH * 3, nullptr)) {
        std::fprintf(stderr, "plim-shot: cannot write %s: %s\n", temp_path, image.message);
        std::remove(temp_path);
        return false;
    }
    if (std::rename(temp_path, path) != 0) {
        std::fprintf(stderr, "plim-shot: cannot rename %s to %s: %s\n", temp_path, path,
                     std::strerror(errno));
        std::remove(temp_path);
        return false;
    }
    return true;
}

// Loads the song the way the program does, then freezes the moving parts.
static bool load_song(AppState& state, const char* dir)
{
    if (!is_directory(dir)) {
        std::fprintf(stderr, "plim-shot: %s is not a directory\n", dir);
        return false;
    }
    if (!format_state_path(state, dir)) {
        std::fprintf(stderr, "plim-shot: directory name too long: %s\n", dir);
        return false;
    }
    struct stat info;
    if (stat(state.state_path, &info) != 0)
        std::fprintf(stderr, "plim-shot: no %s; drawing the empty song\n", state.state_path);
    load_state(state);
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
        if (!canvas_read_rgb(canvas, rgb)) {
            std::fprintf(stderr, "plim-shot: cannot read the canvas: %s\n", SDL_GetError());
            return false;
        }
        if (!write_png(out_dir, name, rgb)) return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: plim-shot DIR OUTDIR\n"
                             "  draws the three screens for DIR/plim.state into\n"
                             "  OUTDIR/picker.png, OUTDIR/guide.png and OUTDIR/grid.png\n");
        return 2;
    }
    static AppState state;
    if (!load_song(state, argv[1]) || !prepare_out_dir(argv[2])) return 1;

    Canvas canvas;
    if (!canvas_open(canvas)) {
        std::fprintf(stderr, "plim-shot: cannot make a canvas: %s\n", SDL_GetError());
        return 1;
    }
    bool written = shoot(canvas, state, argv[2]);
    canvas_close(canvas);
    SDL_Quit();
    return written ? 0 : 1;
}
