// The picker's audition: three notes of the bank's first instrument.
#include "sound/audition.h"

#include "app/core/ticks.h"
#include "sound/step_clock.h"

constexpr int32_t PREVIEW_NOTES = 3;
// Rows of the audition notes, by bank.
static constexpr int32_t PREVIEW_ROWS[BANK_COUNT][PREVIEW_NOTES] = {
    {6, 4, 2},
    {7, 4, 1},
    {7, 5, 2},
};
constexpr int32_t PREVIEW_FIRST_MS = 80;
constexpr int32_t PREVIEW_GAP_MS = 155;
constexpr double PREVIEW_PEAK = 0.72;

void play_preview(AppState& state, int32_t now)
{
    if (state.screen.load() != SCREEN_PICKER || state.preview_count >= PREVIEW_NOTES ||
        !deadline_passed(state.preview_due, now))
        return;
    int32_t row = PREVIEW_ROWS[state.bank.load()][state.preview_count];
    state.preview_count++;
    SDL_LockAudioDevice(state.audio_device);
    start_voice(state, row, PREVIEW_PEAK, 1.0);
    SDL_UnlockAudioDevice(state.audio_device);
    state.preview_due = ticks_after(now, PREVIEW_GAP_MS);
}

void restart_audition(AppState& state, int32_t now)
{
    state.voice.store(0);
    state.preview_count = 0;
    state.preview_due = ticks_after(now, PREVIEW_FIRST_MS);
}
