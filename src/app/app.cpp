// Start-up, the frame loop and shutdown.
#include "app/app.h"

#include "app/core/directories.h"
#include "app/core/state_file.h"
#include "app/core/ticks.h"
#include "app/options.h"
#include "app/platform.h"
#include "controls/repeat_timers.h"
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"
#include "sound/audio.h"
#include "sound/audition.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int AUDIO_BUFFER_FRAMES = 512;

void open_input_device(App& app)
{
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
        if (!SDL_IsGameController(i)) continue;
        app.controller = SDL_GameControllerOpen(i);
        if (app.controller) return;
    }
    if (SDL_NumJoysticks() > 0) app.joystick = SDL_JoystickOpen(0);
}

static SDL_AudioDeviceID open_audio_device(AppState& state)
{
    SDL_AudioSpec desired;
    SDL_zero(desired);
    desired.freq = SAMPLE_RATE;
    desired.format = AUDIO_S16LSB;
    desired.channels = 2;
    desired.samples = AUDIO_BUFFER_FRAMES;
    desired.callback = audio_callback;
    desired.userdata = &state;
    // No allowed changes: SDL converts to whatever the device really takes.
    return SDL_OpenAudioDevice(nullptr, 0, &desired, nullptr, 0);
}

// SDL falls back to its off-screen driver when there is no display; that
// (or the dummy driver) shows nobody anything, so it is taken only when the
// user named a driver in SDL_VIDEODRIVER, as the tests do.
static bool video_unseen()
{
    const char* chosen = std::getenv("SDL_VIDEODRIVER");
    if (chosen && chosen[0] != '\0') return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

int app_start(App& app, AppState& state, const char* dir)
{
    app.state = &state;
    format_state_path(state, dir);
    load_state(state);  // a directory not made yet holds no song

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) < 0)
        return EXIT_SDL_INIT;
    if (video_unseen()) {
        SDL_Quit();
        return EXIT_SDL_INIT;
    }
    app.window =
        SDL_CreateWindow("PLIM", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, CANVAS_WIDTH,
                         CANVAS_HEIGHT, SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN);
    if (!app.window) return EXIT_WINDOW;
    app.renderer =
        SDL_CreateRenderer(app.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!app.renderer) app.renderer = SDL_CreateRenderer(app.window, -1, SDL_RENDERER_SOFTWARE);
    if (!app.renderer) return EXIT_RENDERER;
    SDL_RenderSetLogicalSize(app.renderer, CANVAS_WIDTH, CANVAS_HEIGHT);

    open_input_device(app);
    if (!allocate_buffers(state)) return EXIT_BUFFERS;
    state.audio_device = open_audio_device(state);
    if (state.audio_device == 0) return EXIT_AUDIO;
    SDL_PauseAudioDevice(state.audio_device, 0);
    // Only a program that plays makes the song's directory; failing that, the
    // song is played and not saved.
    make_directories(dir);

    // The picker always opens on the bank's first instrument.
    int32_t now = ticks_now();
    restart_audition(state, now);
    state.logo_start = static_cast<uint32_t>(now);

    app.input = InputState{};
    app.input.controller_open = app.controller != nullptr;
    Uint32 touch_events = SDL_RegisterEvents(2);
    if (touch_events != static_cast<Uint32>(-1)) app.input.touch_event = touch_events;
    return 0;
}

static void draw_screen(App& app)
{
    AppState& state = *app.state;
    switch (state.screen.load()) {
    case SCREEN_GUIDE: draw_guide_screen(app.renderer); break;
    case SCREEN_PICKER: draw_picker_screen(app.renderer, state, SDL_GetTicks()); break;
    default: draw_grid_screen(app.renderer, state, ticks_now()); break;
    }
}

bool app_frame(App& app)
{
    AppState& state = *app.state;
    app.input.running = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(state, app.input, event, ticks_now());
    run_repeat_timers(state, app.input, ticks_now());
    play_preview(state, ticks_now());
    save_if_due(state, ticks_now());
    draw_screen(app);
    SDL_RenderPresent(app.renderer);
    frame_pause(4);
    return app.input.running;
}

void app_stop(App& app)
{
    AppState& state = *app.state;
    save_state(state);                         // also when nothing changed
    SDL_CloseAudioDevice(state.audio_device);  // the callback no longer runs after this
    free_buffers(state);
    if (app.controller) SDL_GameControllerClose(app.controller);
    if (app.joystick) SDL_JoystickClose(app.joystick);
    SDL_DestroyRenderer(app.renderer);
    SDL_DestroyWindow(app.window);
    SDL_Quit();
}

int run_plim(int argc, char** argv)
{
    ProgramCommand command = read_program_command(argc, argv);
    if (command.exit_status >= 0) return command.exit_status;
    static AppState state;  // outlives the audio device
    static App app;         // outlives this call where the page runs the frames
    int failure = app_start(app, state, command.dir);
    if (failure != 0) return failure;
    app.input.keys_play_pad = command.keys;
    if (!app.controller && !app.joystick && !command.keys)
        std::fputs(
            "plim: no game pad found: the grid needs one, or --keys to play it with the "
            "keyboard\n",
            stderr);
    run_frames(app);
    return 0;
}
