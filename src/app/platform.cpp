// The desktop's and the browser's ways of running frames and keeping the song.
#include "app/platform.h"

#include <cstdint>

#ifdef __EMSCRIPTEN__

#include "controls/input.h"

#include <emscripten.h>

// Frames a second the page's timer asks for.  A timer rather than the
// display's refresh: hidden or headless pages hold refresh callbacks back
// for seconds, and the grid must keep answering the pad.
constexpr int BROWSER_FRAMES_PER_SECOND = 60;

// The program while its frames run; null before and after.
static App* running_app = nullptr;

// What a save did: a song written goes on to the page, which copies it into
// the browser's lasting storage.  A failure has been said by the program.
static void song_saved(bool written)
{
    if (!written) return;
    EM_ASM({
        if (Module.onSongWritten) Module.onSongWritten();
    });
}

bool run_frame(App& app)
{
    // A page sees a pad only once it has been pressed there, often after the
    // program started.
    open_input(app);
    FrameOutcome frame = app_frame(app);
    if (frame.saved != SAVE_NOT_DUE) song_saved(frame.saved == SAVE_WRITTEN);
    return frame.running;
}

static void browser_frame(void* arg)
{
    App& app = *static_cast<App*>(arg);
    if (run_frame(app)) return;
    emscripten_cancel_main_loop();
    running_app = nullptr;
    song_saved(app_stop(app) == 0);
    EM_ASM({
        if (Module.onLeave) Module.onLeave();
    });
}

int run_plim(int argc, char** argv)
{
    static AppState state;  // outlives the audio device
    static App app;         // outlives this call: the page runs the frames
    // The window is the page's canvas: its drawing buffer stays 640 x 480 and
    // the page scales it.
    int status = start_plim(app, state, argc, argv, WINDOW_CANVAS_SIZE);
    if (status >= 0) return status;
    running_app = &app;
    emscripten_set_main_loop_arg(browser_frame, &app, BROWSER_FRAMES_PER_SECOND, 0);
    return 0;
}

// For the page, when it is hidden or closed or is about to hand the song on:
// the song is written now, a change not yet saved included, as quitting
// writes it.
extern "C" EMSCRIPTEN_KEEPALIVE void plim_save_song()
{
    if (running_app) song_saved(app_save_now(*running_app));
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

constexpr uint32_t FRAME_PAUSE_MS = 4;  // after each frame's present

bool run_frame(App& app)
{
    bool running = app_frame(app).running;
    SDL_Delay(FRAME_PAUSE_MS);
    return running;
}

int run_plim(int argc, char** argv)
{
    static AppState state;  // outlives the audio device
    static App app;
    int status = start_plim(app, state, argc, argv, WINDOW_FULL_SCREEN);
    if (status >= 0) return status;
    while (run_frame(app)) {}
    return app_stop(app);
}

#endif
