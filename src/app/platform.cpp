// The desktop's and the browser's ways of running frames and keeping the song.
#include "app/platform.h"

#include "app/core/state_file.h"
#include "display/canvas_size.h"

#ifdef __EMSCRIPTEN__

#include <emscripten.h>

// Frames a second the page's timer asks for.  A timer rather than the
// display's refresh: hidden or headless pages hold refresh callbacks back
// for seconds, and the grid must keep answering the pad.
constexpr int BROWSER_FRAMES_PER_SECOND = 60;

// The program while its frames run; null before and after.
static App* running_app = nullptr;

// A save has been written: the page copies the song into the browser's
// lasting storage.
static void song_written()
{
    EM_ASM({
        if (Module.onSongWritten) Module.onSongWritten();
    });
}

// A page sees a pad only once it has been pressed there, often after the
// program started: while no input device is open, the first one to appear is
// taken as start-up takes it.
static void take_late_pad(App& app)
{
    if (app.controller || app.joystick || SDL_NumJoysticks() == 0) return;
    open_input_device(app);
    app.input.controller_open = app.controller != nullptr;
}

static void browser_frame(void* arg)
{
    App& app = *static_cast<App*>(arg);
    take_late_pad(app);
    bool was_dirty = app.state->dirty != 0;
    bool running = app_frame(app);
    if (was_dirty && app.state->dirty == 0) song_written();
    if (running) return;
    emscripten_cancel_main_loop();
    running_app = nullptr;
    app_stop(app);
    song_written();
    EM_ASM({
        if (Module.onLeave) Module.onLeave();
    });
}

void frame_pause(uint32_t) {}

void run_frames(App& app)
{
    // The window is the page's canvas: its drawing buffer stays 640 x 480 and
    // the page scales it, rather than the browser's full screen.
    SDL_SetWindowFullscreen(app.window, 0);
    SDL_SetWindowSize(app.window, CANVAS_WIDTH, CANVAS_HEIGHT);
    running_app = &app;
    emscripten_set_main_loop_arg(browser_frame, &app, BROWSER_FRAMES_PER_SECOND, 0);
}

// For the page, when it is hidden or closed or is about to hand the song on:
// the song is written now, a change not yet saved included, as quitting
// writes it.
extern "C" EMSCRIPTEN_KEEPALIVE void plim_save_song()
{
    if (!running_app) return;
    AppState& state = *running_app->state;
    save_state(state);
    state.dirty = 0;
    song_written();
}

// For the page's touch pad: pad button n (0..31) pressed (down 1) or released
// (down 0).  It joins the frame's events, played as a pad's would be.
extern "C" EMSCRIPTEN_KEEPALIVE void plim_touch_pad(int n, int down)
{
    if (!running_app || running_app->input.touch_event == 0) return;
    SDL_Event event = touch_pad_event(running_app->input, n, down != 0);
    SDL_PushEvent(&event);
}

#else

void frame_pause(uint32_t ms) { SDL_Delay(ms); }

void run_frames(App& app)
{
    while (app_frame(app)) {}
    app_stop(app);
}

#endif
