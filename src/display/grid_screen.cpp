// The grid screen, drawn in this order: the grid lines, the playhead, then
// cell by cell its flash, its swaying block and the cursor, then the status
// line, the pace meter and the voice dots.
#include "display/grid_screen.h"

#include "app/core/tempo.h"
#include "app/core/ticks.h"
#include "display/grey.h"
#include "display/text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

constexpr int GRID_LEFT = 32;
constexpr int GRID_TOP = 56;
constexpr int CELL_WIDTH = 36;
constexpr int CELL_HEIGHT = 42;
constexpr int GRID_RIGHT = GRID_LEFT + CELL_WIDTH * GRID_COLS;
constexpr int GRID_BOTTOM = GRID_TOP + CELL_HEIGHT * GRID_ROWS;
constexpr int PLAYHEAD_OVERHANG = 12;

// The three boxes inside a cell: offset from the cell's corner and size.
constexpr SDL_Rect BLOCK_BOX = {11, 13, 14, 16};
constexpr SDL_Rect FLASH_BOX = {7, 8, 22, 26};
constexpr SDL_Rect CURSOR_BOX = {4, 5, 28, 32};

constexpr uint8_t GREY_GRID_LINE = 58;
constexpr uint8_t GREY_PLAYHEAD = 150;
constexpr uint8_t GREY_BLOCK = 242;
constexpr uint8_t GREY_CURSOR = 255;
constexpr uint8_t GREY_MESSAGE = 235;
constexpr uint8_t GREY_NAMES = 150;
constexpr uint8_t GREY_LIT = 220;
constexpr uint8_t GREY_UNLIT = 58;
constexpr uint8_t GREY_VOICE = 235;

// A flash is drawn while its level is above FLASH_FLOOR, in grey
// 90 + 145 x level, and then multiplied by FLASH_FADE: 24 drawn frames.
constexpr float FLASH_FLOOR = 0.03f;
constexpr float FLASH_FADE = 0.86f;
constexpr float FLASH_GREY_BASE = 90.0f;
constexpr float FLASH_GREY_SPAN = 145.0f;

// Sway amplitude in pixels by wobble; one sway lasts 2 pi / SWAY_RATE ms.
constexpr double SWAY_AMPLITUDE[WOBBLE_LEVELS] = {0.0, 4.0, 7.0};
constexpr double SWAY_RATE = 0.004;
constexpr double SWAY_COLUMN_PHASE = 0.8;

constexpr int STATUS_Y = 428;
constexpr int STATUS_SCALE = 2;

// Along the foot of the screen, bottoms aligned: the pace meter under the
// grid's left edge, a bar for every PACE_PER_BAR of pace; the voice dots
// ending under its right edge.
constexpr int FOOT_BOTTOM = 472;  // the row below the pace bars and voice dots
constexpr int PACE_PER_BAR = 18;
constexpr int PACE_BARS = (PACE_MAX - PACE_MIN) / PACE_PER_BAR + 1;
constexpr SDL_Rect PACE_BAR = {GRID_LEFT, FOOT_BOTTOM - 2, 7, 2};  // the first bar
constexpr int PACE_BAR_PITCH = 12;
constexpr int VOICE_DOT = 5;
constexpr int VOICE_DOT_PITCH = 10;
constexpr int VOICE_DOTS_LEFT =
    GRID_RIGHT + 1 - VOICE_DOT_PITCH * (VOICES_PER_BANK - 1) - VOICE_DOT;
constexpr uint8_t GREY_BACKGROUND = 0;

static void fill_box(SDL_Renderer* renderer, int x, int y, SDL_Rect box)
{
    SDL_Rect rect = {x + box.x, y + box.y, box.w, box.h};
    SDL_RenderFillRect(renderer, &rect);
}

static void outline_box(SDL_Renderer* renderer, int x, int y, SDL_Rect box)
{
    SDL_Rect rect = {x + box.x, y + box.y, box.w, box.h};
    SDL_RenderDrawRect(renderer, &rect);
}

static void draw_grid_lines(SDL_Renderer* renderer)
{
    set_grey(renderer, GREY_GRID_LINE);
    for (int k = 0; k <= GRID_COLS; k++) {
        int x = GRID_LEFT + CELL_WIDTH * k;
        SDL_RenderDrawLine(renderer, x, GRID_TOP, x, GRID_BOTTOM);
    }
    for (int k = 0; k <= GRID_ROWS; k++) {
        int y = GRID_TOP + CELL_HEIGHT * k;
        SDL_RenderDrawLine(renderer, GRID_LEFT, y, GRID_RIGHT, y);
    }
}

// The playhead stands at the fraction of the current step already played.
// It is not held inside the grid: just after the step got shorter it can
// stand further right until the clock catches up.
static void draw_playhead(SDL_Renderer* renderer, const AppState& state)
{
    double length = step_length(state);
    double step = state.step.load();
    double offset = (state.step_pos.load() / length + step) * CELL_WIDTH;
    // Far off the canvas either way looks the same; the bound keeps the
    // conversion to int defined.
    if (!(offset > -1e6)) offset = -1e6;
    if (offset > 1e6) offset = 1e6;
    int x = GRID_LEFT + static_cast<int>(offset);
    set_grey(renderer, GREY_PLAYHEAD);
    SDL_RenderDrawLine(renderer, x, GRID_TOP - PLAYHEAD_OVERHANG, x,
                       GRID_BOTTOM + PLAYHEAD_OVERHANG);
}

// Draws a cell's flash outline and fades it by one frame.  A level at or
// below the floor is left alone.
static void draw_flash(SDL_Renderer* renderer, Relaxed<float>& flash, int x, int y)
{
    float level = flash.load();
    if (!(level > FLASH_FLOOR)) return;
    auto grey = static_cast<uint8_t>(FLASH_GREY_BASE + FLASH_GREY_SPAN * level);
    set_grey(renderer, grey);
    outline_box(renderer, x, y, FLASH_BOX);
    flash.store(level * FLASH_FADE);
}

static void draw_cells(SDL_Renderer* renderer, AppState& state, int32_t now)
{
    double amplitude = SWAY_AMPLITUDE[state.wobble.load()];
    // The tick counter as SDL gives it, unsigned, so the sway runs on
    // smoothly when the signed ticks turn negative.
    double t = static_cast<double>(static_cast<uint32_t>(now));
    for (int r = 0; r < GRID_ROWS; r++) {
        for (int c = 0; c < GRID_COLS; c++) {
            int x = GRID_LEFT + CELL_WIDTH * c;
            int y = GRID_TOP + CELL_HEIGHT * r;
            bool lit = state.grid[r][c] != 0;
            int sway = 0;
            if (lit) {
                double phase = t * SWAY_RATE + c * SWAY_COLUMN_PHASE + r;
                sway = static_cast<int>(std::sin(phase) * amplitude);
            }
            draw_flash(renderer, state.flash[r][c], x, y);
            if (lit) {
                set_grey(renderer, GREY_BLOCK);
                fill_box(renderer, x + sway, y, BLOCK_BOX);
            }
            if (c == state.cursor_col && r == state.cursor_row) {
                set_grey(renderer, GREY_CURSOR);
                outline_box(renderer, x, y, CURSOR_BOX);
            }
        }
    }
}

// The message while it lasts, else the bank and the instrument.
static void draw_status_line(SDL_Renderer* renderer, const AppState& state, int32_t now)
{
    char line[MESSAGE_SIZE];
    uint8_t grey;
    if (state.message[0] != '\0' && !deadline_passed(state.message_until, now)) {
        std::snprintf(line, sizeof line, "%.*s", MESSAGE_SIZE, state.message);
        grey = GREY_MESSAGE;
    } else {
        int32_t bank = state.bank.load();
        int instrument = instrument_number(bank, state.voice.load());
        std::snprintf(line, sizeof line, "%s : %s", BANK_NAMES[bank], INSTRUMENT_NAMES[instrument]);
        grey = GREY_NAMES;
    }
    int32_t length = static_cast<int32_t>(std::strlen(line));
    draw_text(renderer, centred_x(length, STATUS_SCALE), STATUS_Y, line, STATUS_SCALE, grey);
}

static void draw_pace_meter(SDL_Renderer* renderer, int32_t pace)
{
    int last_lit = (pace - PACE_MIN) / PACE_PER_BAR;
    for (int i = 0; i < PACE_BARS; i++) {
        uint8_t grey = i <= last_lit ? GREY_LIT : GREY_UNLIT;
        set_grey(renderer, grey);
        SDL_Rect bar = PACE_BAR;
        bar.x += PACE_BAR_PITCH * i;
        SDL_RenderFillRect(renderer, &bar);
    }
}

static void draw_voice_dots(SDL_Renderer* renderer, int32_t voice)
{
    for (int j = 0; j < VOICES_PER_BANK; j++) {
        uint8_t grey = j == voice ? GREY_VOICE : GREY_UNLIT;
        set_grey(renderer, grey);
        SDL_Rect dot = {VOICE_DOTS_LEFT + VOICE_DOT_PITCH * j, FOOT_BOTTOM - VOICE_DOT, VOICE_DOT,
                        VOICE_DOT};
        SDL_RenderFillRect(renderer, &dot);
    }
}

void draw_grid_screen(SDL_Renderer* renderer, AppState& state, int32_t now)
{
    set_grey(renderer, GREY_BACKGROUND);
    SDL_RenderClear(renderer);
    draw_grid_lines(renderer);
    if (state.resting.load() == 0) draw_playhead(renderer, state);
    draw_cells(renderer, state, now);
    draw_status_line(renderer, state, now);
    draw_pace_meter(renderer, state.pace.load());
    draw_voice_dots(renderer, state.voice.load());
}
