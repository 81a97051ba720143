// Plays the real program (start-up, frame loop, shutdown) and keeps changing
// the song through injected pad events, so that it saves again and again;
// for the crash-consistency test, which kills it at random moments.
//
//   busy_song_driver DIR
//
// Goes from the picker through the guide to the grid, then every 520 ms
// raises or lowers the pace and toggles a cell, which schedules a save 500 ms
// later.  Prints "song <hex>" with the 152 bytes a save would write whenever
// the song changes (so before the program can save it), starting with the
// song it loaded.  Quits by itself after 30 seconds.
#include "app/core/state_file.h"
#include "app/core/ticks.h"
#include "app/platform.h"
#include "controls/input.h"

#include <cstdio>
#include <cstring>

constexpr int32_t CHANGE_EVERY_MS = 520;
constexpr int32_t GIVE_UP_MS = 30000;

static void push_key(SDL_Keycode key)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
}

// A press and release of a raw pad button; no device is open, so the raw path takes them.
static void push_tap(int button)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_JOYBUTTONDOWN;
    event.jbutton.button = static_cast<Uint8>(button);
    SDL_PushEvent(&event);
    event.type = SDL_JOYBUTTONUP;
    SDL_PushEvent(&event);
}

static void print_song(const uint8_t image[STATE_IMAGE_SIZE])
{
    std::printf("song ");
    for (int i = 0; i < STATE_IMAGE_SIZE; i++) std::printf("%02x", image[i]);
    std::printf("\n");
    std::fflush(stdout);
}

static void print_if_changed(const AppState& state, uint8_t last[STATE_IMAGE_SIZE])
{
    uint8_t image[STATE_IMAGE_SIZE];
    state_image(state, image);
    if (std::memcmp(image, last, STATE_IMAGE_SIZE) == 0) return;
    std::memcpy(last, image, STATE_IMAGE_SIZE);
    print_song(image);
}

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    static AppState state;
    App app;
    int failure = app_start(app, state, argv[1], WINDOW_FULL_SCREEN);
    if (failure != 0) return failure;

    uint8_t last[STATE_IMAGE_SIZE];
    state_image(state, last);
    print_song(last);
    push_key(SDLK_RETURN);  // picker to guide
    push_key(SDLK_SPACE);   // guide to grid

    int32_t start = ticks_now();
    int32_t next_change = start;
    int changes = 0;
    while (!deadline_passed(ticks_after(start, GIVE_UP_MS), ticks_now())) {
        if (state.screen.load() == SCREEN_GRID && deadline_passed(next_change, ticks_now())) {
            bool faster = (changes / 8) % 2 == 0;
            push_tap(faster ? PAD_R1 : PAD_L1);
            push_tap(PAD_RIGHT);
            push_tap(PAD_A);
            changes++;
            next_change = ticks_after(ticks_now(), CHANGE_EVERY_MS);
        }
        if (!run_frame(app)) break;
        print_if_changed(state, last);
    }
    app_stop(app);
    return 0;
}
