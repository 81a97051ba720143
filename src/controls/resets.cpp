// The two resets: leaving the guide for the grid, and FRESH START.
#include "controls/resets.h"

#include "app/core/state_file.h"
#include "controls/actions.h"
#include "sound/audition.h"

#include <algorithm>

// Echo line and both space combs back to silence.  Caller holds the audio lock.
static void clear_effect_buffers(AppState& state)
{
    std::fill(state.delay_line, state.delay_line + DELAY_LENGTH, 0.0f);
    std::fill(state.comb_a, state.comb_a + COMB_A_LENGTH, 0.0f);
    std::fill(state.comb_b, state.comb_b + COMB_B_LENGTH, 0.0f);
}

// Tone filter and DC blocker memories.  Caller holds the audio lock.
static void clear_filter_state(AppState& state)
{
    state.tone_state = 0.0;
    state.dc_out = 0.0;
    state.dc_prev = 0.0;
}

// Leaves the song, the settings, the cursor, the clock position, paint, the
// audition and the input record as they are, and schedules no save.
void enter_grid(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    for (int row = 0; row < GRID_ROWS; row++) {
        state.env[row] = 0.0;
        state.gate[row] = 0;
    }
    clear_effect_buffers(state);
    clear_filter_state(state);
    SDL_UnlockAudioDevice(state.audio_device);

    state.screen.store(SCREEN_GRID);
    show_instrument(state, now);
}

// Everything is reset under one lock, so the callback sees the old song or
// the fresh one and nothing in between.  The screen, the voices' phases and
// pitches, the effect positions and mix levels, the logo and the input record
// are left alone.
void fresh_start(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    for (int row = 0; row < GRID_ROWS; row++) {
        state.env[row] = 0.0;
        state.gate[row] = 0;
        for (int col = 0; col < GRID_COLS; col++) {
            state.grid[row][col] = 0;
            state.flash[row][col].store(0.0f);
        }
    }
    clear_effect_buffers(state);
    state.pace.store(START_PACE);
    state.paint = 0;
    state.cursor_col = 0;
    state.cursor_row = 0;
    state.step.store(START_STEP);
    state.resting.store(0);
    state.bank.store(0);
    state.voice.store(0);
    state.wobble.store(0);
    state.echo.store(0);
    state.space.store(0);
    state.step_pos.store(0.0);
    clear_filter_state(state);
    SDL_UnlockAudioDevice(state.audio_device);

    // On the picker the audition starts again, now on bank 0.
    if (state.screen.load() == SCREEN_PICKER) restart_audition(state, now);
    set_message(state, "FRESH START", now);
    mark_dirty(state, now);
}
