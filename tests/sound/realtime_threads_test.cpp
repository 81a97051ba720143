// Real-time rules: the main thread changes settings and cells while SDL's
// audio thread plays through the callback.  Run under ThreadSanitizer, any
// data race between the two ends the test.
#include "app/core/tempo.h"
#include "sound/audio.h"
#include "sound/audition.h"
#include "sound/effects.h"
#include "sound/step_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

static AppState state;  // outlives the audio device, as in the program

static SDL_AudioDeviceID open_device()
{
    SDL_AudioSpec desired;
    SDL_zero(desired);
    desired.freq = SAMPLE_RATE;
    desired.format = AUDIO_S16LSB;
    desired.channels = 2;
    desired.samples = 512;
    desired.callback = audio_callback;
    desired.userdata = &state;
    return SDL_OpenAudioDevice(nullptr, 0, &desired, nullptr, 0);
}

// What the frame loop does to the shared record in one frame, varied by i.
static void main_thread_frame(int i, int32_t now)
{
    // Settings: written without the lock.
    state.pace.store(150 + i % 31);
    state.bank.store(i / 7 % 3);
    state.voice.store(i / 3 % 3);
    state.wobble.store(i / 5 % 3);
    state.echo.store(i / 11 % 4);
    state.space.store(i / 13 % 4);
    state.resting.store(i % 40 == 39);

    // Cells: under the audio lock.
    SDL_LockAudioDevice(state.audio_device);
    state.grid[i % GRID_ROWS][i / GRID_ROWS % GRID_COLS] ^= 1;
    SDL_UnlockAudioDevice(state.audio_device);

    // The picker's audition, now and then, and back to the grid with its reset.
    if (i % 60 == 20) {
        state.screen.store(SCREEN_PICKER);
        restart_audition(state, now);
    }
    play_preview(state, now);
    if (i % 60 == 30) {
        SDL_LockAudioDevice(state.audio_device);
        for (int row = 0; row < GRID_ROWS; row++) {
            state.env[row] = 0.0;
            state.gate[row] = 0;
        }
        std::memset(state.delay_line, 0, DELAY_LENGTH * sizeof(float));
        std::memset(state.comb_a, 0, COMB_A_LENGTH * sizeof(float));
        std::memset(state.comb_b, 0, COMB_B_LENGTH * sizeof(float));
        state.tone_state = state.dc_out = state.dc_prev = 0.0;
        SDL_UnlockAudioDevice(state.audio_device);
        state.screen.store(SCREEN_GRID);
    }

    // The grid screen: the playhead and the fading flashes, without the lock.
    double playhead = state.step.load() + state.step_pos.load() / step_length(state);
    EXPECT_LT(playhead, 17.0);
    for (auto& row : state.flash)
        for (auto& cell : row) cell.store(cell.load() * 0.9f);
}

TEST(RealTime, MainThreadChangesWhileTheAudioThreadPlays)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_TRUE(allocate_buffers(state));
    for (int col = 0; col < GRID_COLS; col += 2) state.grid[col % GRID_ROWS][col] = 1;
    state.screen.store(SCREEN_GRID);
    state.audio_device = open_device();
    ASSERT_NE(state.audio_device, 0u) << SDL_GetError();
    SDL_PauseAudioDevice(state.audio_device, 0);

    // Until the audio thread has moved the playhead on eight times.
    int advances = 0;
    int32_t last_step = state.step.load();
    Uint32 give_up = SDL_GetTicks() + 30000;  // only a failure waits this long
    for (int i = 0; advances < 8 && SDL_GetTicks() < give_up; i++) {
        main_thread_frame(i, static_cast<int32_t>(SDL_GetTicks()));
        int32_t step = state.step.load();
        if (step != last_step) advances++;
        last_step = step;
        SDL_Delay(2);
    }

    SDL_CloseAudioDevice(state.audio_device);  // the callback no longer runs after this
    free_buffers(state);
    SDL_Quit();
    EXPECT_GE(advances, 8);
}
