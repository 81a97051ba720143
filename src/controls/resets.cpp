// The two resets: leaving the guide for the grid, and FRESH START.
#include "controls/resets.h"

#include "app/core/state_file.h"
#include "controls/messages.h"
#include "sound/audition.h"
#include "sound/silence.h"

template <typename T>
static void restart(Relaxed<T>& field, const Relaxed<T>& start)
{
    field.store(start.load());
}

// Leaves the song, the settings, the cursor, the clock position, paint, the
// audition and the input record as they are, and schedules no save.
void enter_grid(AppState& state, int32_t now)
{
    SDL_LockAudioDevice(state.audio_device);
    silence_engine(state);
    SDL_UnlockAudioDevice(state.audio_device);

    state.screen.store(SCREEN_GRID);
    show_instrument(state, now);
}

// Everything is reset under one lock, so the callback sees the old song or
// the fresh one and nothing in between; each value is the one start-up
// gives.  The screen, the voices' phases and pitches, the effect positions
// and mix levels, the logo and the input record are left alone.
void fresh_start(AppState& state, int32_t now)
{
    const AppState& start = START_STATE;
    SDL_LockAudioDevice(state.audio_device);
    silence_engine(state);
    for (int row = 0; row < GRID_ROWS; row++) {
        for (int col = 0; col < GRID_COLS; col++) {
            state.grid[row][col] = start.grid[row][col];
            restart(state.flash[row][col], start.flash[row][col]);
        }
    }
    restart(state.pace, start.pace);
    restart(state.bank, start.bank);
    restart(state.voice, start.voice);
    restart(state.wobble, start.wobble);
    restart(state.echo, start.echo);
    restart(state.space, start.space);
    restart(state.step, start.step);
    restart(state.step_pos, start.step_pos);
    restart(state.resting, start.resting);
    state.paint = start.paint;
    state.cursor_col = start.cursor_col;
    state.cursor_row = start.cursor_row;
    SDL_UnlockAudioDevice(state.audio_device);

    // On the picker the audition starts again, now on bank 0.
    if (state.screen.load() == SCREEN_PICKER) restart_audition(state, now);
    set_message(state, "FRESH START", now);
    mark_dirty(state, now);
}
