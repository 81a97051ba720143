// What pad buttons and keys do on the picker, the guide and the grid.
#include "controls/actions.h"

#include "app/core/state_file.h"
#include "controls/dpad_repeat.h"
#include "controls/messages.h"
#include "controls/resets.h"
#include "sound/audition.h"

#include <cstdio>

static const char* const WOBBLE_TEXTS[WOBBLE_LEVELS] = {"STEADY AGAIN", "A LITTLE WONKY",
                                                        "VERY WONKY"};

static bool select_held(const InputState& input)
{
    return (input.held_buttons & (1u << PAD_SELECT)) != 0;
}

static bool is_dpad(int32_t n) { return n >= PAD_UP && n <= PAD_RIGHT; }

static int32_t clamp(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// ---- The grid's cell edits; each cell write holds the audio lock. ----

static uint8_t& cursor_cell(AppState& state)
{
    return state.grid[state.cursor_row][state.cursor_col];
}

static void remove_cell(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    cursor_cell(state) = 0;
    SDL_UnlockAudioDevice(state.audio_device);
    mark_dirty(state, now);
    state.paint = -1;
}

// Flips the cell's lowest bit, so a loaded byte of 2 becomes 3 and stays lit.
// The cell's new state decides what a drag paints.
static void place_cell(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    uint8_t& cell = cursor_cell(state);
    cell = static_cast<uint8_t>(cell ^ 1);
    bool lit = cell != 0;
    SDL_UnlockAudioDevice(state.audio_device);
    mark_dirty(state, now);
    state.paint = lit ? 1 : -1;
}

// Leaves paint alone: a held A or B goes on painting after the grid is emptied.
static void empty_grid(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    for (auto& row : state.grid)
        for (uint8_t& cell : row) cell = 0;
    SDL_UnlockAudioDevice(state.audio_device);
    mark_dirty(state, now);
    set_message(state, "ALL QUIET", now);
}

// While painting, the cell the cursor has just entered takes the paint mode.
static void paint_cursor_cell(AppState& state, int32_t now)
{
    if (state.paint == 0) return;
    SDL_LockAudioDevice(state.audio_device);
    cursor_cell(state) = state.paint > 0 ? 1 : 0;
    SDL_UnlockAudioDevice(state.audio_device);
    mark_dirty(state, now);
}

void move_cursor(AppState& state, int32_t n, int32_t now)
{
    switch (n) {
    case PAD_UP: state.cursor_row = (state.cursor_row + GRID_ROWS - 1) % GRID_ROWS; break;
    case PAD_DOWN: state.cursor_row = (state.cursor_row + 1) % GRID_ROWS; break;
    case PAD_LEFT: state.cursor_col = (state.cursor_col + GRID_COLS - 1) % GRID_COLS; break;
    case PAD_RIGHT: state.cursor_col = (state.cursor_col + 1) % GRID_COLS; break;
    default: return;
    }
    paint_cursor_cell(state, now);
}

// ---- The grid's settings: plain stores, no lock.  At a limit the value
// stays but the message and the save still happen. ----

static void change_pace(AppState& state, int32_t delta, int32_t now)
{
    int32_t pace = clamp(state.pace.load() + delta, PACE_MIN, PACE_MAX);
    state.pace.store(pace);
    char text[32];
    std::snprintf(text, sizeof text, "PACE : %d", static_cast<int>(pace));
    set_message(state, text, now);
    mark_dirty(state, now);
}

// step is 1 for the next instrument, 2 for the previous one (0 wraps to 2).
static void change_voice(AppState& state, int32_t step, int32_t now)
{
    state.voice.store((state.voice.load() + step) % VOICES_PER_BANK);
    show_instrument(state, now);
    mark_dirty(state, now);
}

static void next_wobble(AppState& state, int32_t now)
{
    int32_t wobble = (state.wobble.load() + 1) % WOBBLE_LEVELS;
    state.wobble.store(wobble);
    set_message(state, WOBBLE_TEXTS[wobble], now);
    mark_dirty(state, now);
}

static void change_mix(AppState& state, Relaxed<int32_t>& level, int32_t delta, int32_t now)
{
    level.store(clamp(level.load() + delta, 0, EFFECT_LEVELS - 1));
    show_mix_levels(state, now);
    mark_dirty(state, now);
}

// Resting is not part of the song: no save.
static void toggle_rest(AppState& state, int32_t now)
{
    int32_t was_resting = state.resting.load();
    state.resting.store(was_resting ^ 1);
    set_message(state, was_resting ? "AWAKE" : "PLIM IS LISTENING", now);
}

static void grid_press(AppState& state, InputState& input, int32_t n, int32_t now)
{
    bool select = select_held(input);
    if (select && n == PAD_X) {
        fresh_start(state, now);
        return;
    }
    if (is_dpad(n) && !select) {
        move_cursor(state, n, now);
        start_dpad_repeat(input, n, now);
        return;
    }
    switch (n) {
    case PAD_B: remove_cell(state, now); break;
    case PAD_A: place_cell(state, now); break;
    case PAD_X: empty_grid(state, now); break;
    case PAD_Y: next_wobble(state, now); break;
    case PAD_L1: change_pace(state, -PACE_STEP, now); break;
    case PAD_R1: change_pace(state, PACE_STEP, now); break;
    case PAD_L2: change_voice(state, VOICES_PER_BANK - 1, now); break;
    case PAD_R2: change_voice(state, 1, now); break;
    case PAD_UP: change_mix(state, state.space, 1, now); break;  // with SELECT
    case PAD_DOWN: change_mix(state, state.space, -1, now); break;
    case PAD_LEFT: change_mix(state, state.echo, -1, now); break;
    case PAD_RIGHT: change_mix(state, state.echo, 1, now); break;
    case PAD_START: toggle_rest(state, now); break;
    default: break;  // SELECT alone, 14, 15, 17..255
    }
}

// ---- The picker and the guide. ----

void change_bank(AppState& state, int32_t step, int32_t now)
{
    // The voice goes back to 0 before the bank changes, so the callback never
    // plays the new bank with the old voice.
    restart_audition(state, now);
    state.bank.store((state.bank.load() + step + BANK_COUNT) % BANK_COUNT);
    mark_dirty(state, now);
}

static void picker_press(AppState& state, int32_t n, int32_t now)
{
    switch (n) {
    case PAD_DOWN:
    case PAD_RIGHT: change_bank(state, 1, now); break;
    case PAD_UP:
    case PAD_LEFT: change_bank(state, -1, now); break;
    case PAD_A: state.screen.store(SCREEN_GUIDE); break;
    default: break;
    }
}

void pad_press(AppState& state, InputState& input, int32_t n, int32_t now)
{
    if (n == PAD_16) {
        fresh_start(state, now);  // on every screen
        return;
    }
    switch (state.screen.load()) {
    case SCREEN_GUIDE:
        if (n != PAD_SELECT && n != PAD_START) enter_grid(state, now);
        return;
    case SCREEN_PICKER: picker_press(state, n, now); return;
    default: grid_press(state, input, n, now); return;
    }
}

void pad_release(AppState& state, InputState& input, int32_t n)
{
    // Releasing either A or B ends painting, even while the other is held.
    if (n == PAD_A || n == PAD_B) state.paint = 0;
    end_dpad_repeat(input, n);
}

void key_press(AppState& state, SDL_Keycode key, int32_t now)
{
    switch (state.screen.load()) {
    case SCREEN_PICKER:
        switch (key) {
        case SDLK_LEFT:
        case SDLK_UP: change_bank(state, -1, now); break;
        case SDLK_RIGHT:
        case SDLK_DOWN: change_bank(state, 1, now); break;
        case SDLK_RETURN:
        case SDLK_SPACE: state.screen.store(SCREEN_GUIDE); break;
        default: break;
        }
        return;
    case SCREEN_GUIDE: enter_grid(state, now); return;
    default: return;  // the grid is played with the pad alone
    }
}
