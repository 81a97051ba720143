// Real-time rules: the program's own start-up, frames and shutdown, driven by
// pad and key events, while SDL's dummy audio driver runs the callback on its
// own thread: the picker's audition, both resets, and on the grid a setting
// or a cell changed in every frame.  Run under ThreadSanitizer, any data race
// between the two threads ends the test.
#include "app/platform.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr Uint32 GIVE_UP_MS = 30000;  // only a failure waits this long

void push_key(SDL_Keycode key)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// A raw pad button; no device is open, so the raw path takes it.
void push_pad(int button, bool down)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.button = static_cast<Uint8>(button);
    event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
}

void push_tap(int button)
{
    push_pad(button, true);
    push_pad(button, false);
}

// What the player does in grid frame i: a setting, a cell, a rest or a
// FRESH START, a different one each frame.
void grid_presses(int i)
{
    if (i % 150 == 149) {
        push_tap(PAD_16);  // FRESH START
        return;
    }
    switch (i % 7) {
    case 0: push_tap(i / 7 % 2 == 0 ? PAD_R1 : PAD_L1); break;  // pace
    case 1: push_tap(PAD_R2); break;                            // voice
    case 2: push_tap(PAD_Y); break;                             // wobble
    case 3:                                                     // echo and space
        push_pad(PAD_SELECT, true);
        push_tap(PAD_RIGHT);
        push_tap(PAD_UP);
        push_pad(PAD_SELECT, false);
        break;
    case 4: push_tap(PAD_START); break;  // rest, and awake again the next frame
    case 5: push_tap(PAD_START); break;
    default:  // a cell lit or darkened
        push_tap(i / 7 % 2 == 0 ? PAD_RIGHT : PAD_DOWN);
        push_tap(PAD_A);
        break;
    }
}

AppState state;  // outlives the audio device, as in the program

}  // namespace

TEST(RealTime, FramesAndTheCallbackShareTheRecordFromThePickerToTheEnd)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // the callback on its own thread, at about real time
    TempDir dir;
    App app;
    ASSERT_EQ(app_start(app, state, dir.path.c_str(), WINDOW_FULL_SCREEN), 0) << SDL_GetError();
    Uint32 give_up = SDL_GetTicks() + GIVE_UP_MS;

    // The picker: two bank changes, each restarting the audition, then its
    // three notes against the playing callback.
    push_key(SDLK_RIGHT);
    ASSERT_TRUE(run_frame(app));
    push_key(SDLK_LEFT);
    while (state.preview_count < 3 && SDL_GetTicks() < give_up) ASSERT_TRUE(run_frame(app));
    EXPECT_EQ(state.preview_count, 3) << "the audition's notes";

    // The guide, and the grid through enter_grid.
    push_key(SDLK_RETURN);
    ASSERT_TRUE(run_frame(app));
    push_tap(PAD_B);
    ASSERT_TRUE(run_frame(app));
    ASSERT_EQ(state.screen.load(), SCREEN_GRID);

    // Until the callback has moved the playhead on by one step eight times.
    int advances = 0;
    int32_t last_step = state.step.load();
    for (int i = 0; advances < 8 && SDL_GetTicks() < give_up; i++) {
        grid_presses(i);
        ASSERT_TRUE(run_frame(app));
        int32_t step = state.step.load();
        if (step == (last_step + 1) % GRID_COLS) advances++;
        last_step = step;
    }
    EXPECT_GE(advances, 8);

    push_pad(PAD_SELECT, true);
    push_pad(PAD_START, true);
    EXPECT_FALSE(run_frame(app)) << "SELECT + START quits";
    app_stop(app);  // closes the audio device before freeing the buffers
}
