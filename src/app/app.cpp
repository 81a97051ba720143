// Start-up, the frame loop and shutdown.
#include "app/app.h"

#include "app/core/directories.h"
#include "app/core/durable_file.h"
#include "app/core/state_file.h"
#include "app/core/ticks.h"
#include "app/options.h"
#include "controls/input.h"
#include "controls/repeat_timers.h"
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"
#include "sound/audio.h"
#include "sound/audition.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

constexpr int AUDIO_BUFFER_FRAMES = 512;

// What a failed start-up says, indexed by its exit status: what failed, and
// what to try.
struct StartFailureText {
    const char* what;
    const char* remedy;
};
constexpr StartFailureText START_FAILURE_TEXTS[] = {
    {"", ""},  // 0: started
    {"SDL could not start or found no display",
     "run it from a desktop session; if SDL_VIDEODRIVER or SDL_AUDIODRIVER is set, check that it "
     "names a driver SDL has"},
    {"the window could not be made",
     "check that the desktop session's display works (DISPLAY or WAYLAND_DISPLAY)"},
    {"no renderer could be made",
     "the graphics driver offers none; SDL_RENDER_DRIVER=software uses SDL's own"},
    {"the sound buffers could not be allocated", "the machine is short of memory"},
    {"the audio device could not be opened",
     "check that the sound server runs and the device is free, or choose a driver with "
     "SDL_AUDIODRIVER (pipewire, pulseaudio, alsa)"},
};
static_assert(sizeof START_FAILURE_TEXTS / sizeof START_FAILURE_TEXTS[0] == EXIT_AUDIO + 1);

// Says in one line on standard error why start-up stops, with SDL's own
// reason when there is one, and gives the status to exit with.
static int start_failed(StartFailure failure, const char* reason)
{
    const StartFailureText& text = START_FAILURE_TEXTS[failure];
    if (reason && reason[0] != '\0')
        std::fprintf(stderr, "plim: %s (%s): %s\n", text.what, reason, text.remedy);
    else
        std::fprintf(stderr, "plim: %s: %s\n", text.what, text.remedy);
    return failure;
}

// Says once that the song cannot be saved, and why (error, an errno value),
// then what follows from it; quiet while it has been said since the last
// save that succeeded.
static void say_unsaved(App& app, int error, const char* what_follows)
{
    if (app.unsaved_said) return;
    app.unsaved_said = true;
    const char* path = app.state->state_path;
    char unnamed[64];
    if (path[0] == '\0') {
        std::snprintf(unnamed, sizeof unnamed, "%s in a directory whose name is too long",
                      STATE_FILE_NAME);
        path = unnamed;
    }
    std::fprintf(stderr, "plim: cannot save the song as %s (%s): %s\n", path, std::strerror(error),
                 what_follows);
}

// What follows from a save that failed while PLIM plays.
constexpr const char* RETRIED_LATER = "a later change, and quitting, try again";

// What one save came to: a failure is said (once), a success makes the next
// failure worth saying again.
static void note_save(App& app, bool written, const char* what_follows)
{
    int error = errno;
    app.last_save_failed = !written;
    if (written)
        app.unsaved_said = false;
    else
        say_unsaved(app, error, what_follows);
}

// Only a program that plays makes the song's directory; failing that, or
// when no file can be made in it, the song is played and not saved, and the
// player is told at once.
static void prepare_song_directory(App& app, const char* dir)
{
    const char* state_path = app.state->state_path;
    if (state_path[0] == '\0') {
        errno = ENAMETOOLONG;
    } else if (make_directories(dir) && durable_writable(state_path)) {
        return;
    }
    say_unsaved(app, errno, "playing without saving; give a directory PLIM can write");
}

void open_input(App& app)
{
    if (app.controller || app.joystick) return;
    for (int i = 0; i < SDL_NumJoysticks(); i++) {
        if (!SDL_IsGameController(i)) continue;
        app.controller = SDL_GameControllerOpen(i);
        if (app.controller) break;
    }
    if (!app.controller && SDL_NumJoysticks() > 0) app.joystick = SDL_JoystickOpen(0);
    app.input.controller_open = app.controller != nullptr;
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

// The window's flags for each WindowKind.
constexpr Uint32 WINDOW_FLAGS[] = {
    SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN,  // WINDOW_FULL_SCREEN
    SDL_WINDOW_SHOWN,                                  // WINDOW_CANVAS_SIZE
};

int app_start(App& app, AppState& state, const char* dir, WindowKind window)
{
    app.state = &state;
    app.input = InputState{};
    format_state_path(state, dir);
    load_state(state);  // a directory not made yet holds no song

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) < 0)
        return start_failed(EXIT_SDL_INIT, SDL_GetError());
    if (video_unseen()) {
        char reason[96];
        std::snprintf(reason, sizeof reason, "only SDL's %s video driver, which shows nothing",
                      SDL_GetCurrentVideoDriver());
        SDL_Quit();
        return start_failed(EXIT_SDL_INIT, reason);
    }
    app.window = SDL_CreateWindow("PLIM", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  CANVAS_WIDTH, CANVAS_HEIGHT, WINDOW_FLAGS[window]);
    if (!app.window) return start_failed(EXIT_WINDOW, SDL_GetError());
    app.renderer =
        SDL_CreateRenderer(app.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!app.renderer) app.renderer = SDL_CreateRenderer(app.window, -1, SDL_RENDERER_SOFTWARE);
    if (!app.renderer) return start_failed(EXIT_RENDERER, SDL_GetError());
    SDL_RenderSetLogicalSize(app.renderer, CANVAS_WIDTH, CANVAS_HEIGHT);

    open_input(app);
    if (!allocate_buffers(state)) return start_failed(EXIT_BUFFERS, nullptr);
    state.audio_device = open_audio_device(state);
    if (state.audio_device == 0) return start_failed(EXIT_AUDIO, SDL_GetError());
    SDL_PauseAudioDevice(state.audio_device, 0);
    prepare_song_directory(app, dir);

    // The picker always opens on the bank's first instrument.
    int32_t now = ticks_now();
    restart_audition(state, now);
    state.logo_start = static_cast<uint32_t>(now);

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

SaveResult frame_update(AppState& state, InputState& input, int32_t now)
{
    run_repeat_timers(state, input, now);
    play_preview(state, now);
    return save_if_due(state, now);
}

FrameOutcome app_frame(App& app)
{
    AppState& state = *app.state;
    app.input.running = true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(state, app.input, event, ticks_now());
    SaveResult saved = frame_update(state, app.input, ticks_now());
    if (saved != SAVE_NOT_DUE) note_save(app, saved == SAVE_WRITTEN, RETRIED_LATER);
    draw_screen(app);
    SDL_RenderPresent(app.renderer);
    return {app.input.running, saved};
}

bool app_save_now(App& app)
{
    AppState& state = *app.state;
    bool written = save_state(state);
    state.dirty = 0;
    note_save(app, written, RETRIED_LATER);
    return written;
}

int app_stop(App& app)
{
    AppState& state = *app.state;
    bool written = save_state(state);  // also when nothing changed
    note_save(app, written, "the song is not kept");
    SDL_CloseAudioDevice(state.audio_device);  // the callback no longer runs after this
    free_buffers(state);
    if (app.controller) SDL_GameControllerClose(app.controller);
    if (app.joystick) SDL_JoystickClose(app.joystick);
    SDL_DestroyRenderer(app.renderer);
    SDL_DestroyWindow(app.window);
    SDL_Quit();
    return app.last_save_failed ? EXIT_SONG_NOT_KEPT : 0;
}

int start_plim(App& app, AppState& state, int argc, char** argv, WindowKind window)
{
    ProgramCommand command = read_program_command(argc, argv);
    if (command.exit_status >= 0) return command.exit_status;
    int failure = app_start(app, state, command.dir, window);
    if (failure != 0) return failure;
    app.input.keys_play_pad = command.keys;
    if (!app.controller && !app.joystick && !command.keys)
        std::fputs(
            "plim: no game pad found: the grid needs one, or --keys to play it with the "
            "keyboard\n",
            stderr);
    return -1;
}
