// Start-up, the frame loop and shutdown.
#pragma once

#include "app/core/app_state.h"
#include "app/core/state_file.h"
#include "controls/pad.h"

#include <SDL.h>

// Everything the frame loop holds besides the AppState.
struct App {
    AppState* state = nullptr;
    InputState input;
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;
    bool unsaved_said = false;      // a line on standard error has said saves fail
    bool last_save_failed = false;  // the last save left the song unwritten
};

// Exit statuses of a failed start-up.  Each failure is said in one line on
// standard error first: what failed and what to try.
enum StartFailure {
    EXIT_SDL_INIT = 1,
    EXIT_WINDOW = 2,
    EXIT_RENDERER = 3,
    EXIT_BUFFERS = 4,
    EXIT_AUDIO = 5,
};

// The exit status of a quit whose last save failed: the song is not kept.
constexpr int EXIT_SONG_NOT_KEPT = 6;

// How start-up makes the window: as each platform wants it from the start.
enum WindowKind {
    WINDOW_FULL_SCREEN,  // the desktop's full screen, the canvas scaled into it
    WINDOW_CANVAS_SIZE,  // the canvas's own 640 x 480 (the page scales it)
};

// Start-up: fills state (which must be fresh and outlive the audio device),
// loads the song from the directory dir, opens SDL, the window of that kind,
// renderer, input device and audio device, makes dir if it is missing and
// enters the picker.  SDL's off-screen or dummy video counts as SDL failing
// unless SDL_VIDEODRIVER chose it.  Returns 0, or at once, after a line on
// standard error, the exit status of the step that failed; what the steps
// before it opened is left for the process's exit to release (only unseen
// video quits SDL first).  A song directory that cannot be made or written is
// said in one line, and the program plays without saving.
int app_start(App& app, AppState& state, const char* dir, WindowKind window);

// The program's start: the options (--help, --version) answered, or
// app_start with the song directory, and --keys taken; without a pad or
// --keys, one line says the grid needs one.  Returns -1 once frames are to
// follow, else the exit status.
int start_plim(App& app, AppState& state, int argc, char** argv, WindowKind window);

// The input device, while none is open: the first joystick index that opens
// as a game controller; failing that the first raw joystick; failing that
// nothing (the keyboard alone).  Start-up takes the pad there is; a caller
// that runs it again takes one that appears later.
void open_input(App& app);

// What a frame does between its events and its drawing, at now: the repeat
// timers, the picker's audition note when due, the debounced save when due.
// Returns what the save did.
SaveResult frame_update(AppState& state, InputState& input, int32_t now);

// What one frame came to.
struct FrameOutcome {
    bool running = true;              // false once the player has quit during the frame
    SaveResult saved = SAVE_NOT_DUE;  // what the frame's debounced save did
};

// One frame: events, frame_update, drawing, present; the pause between
// frames is the caller's.  A save that fails is said in one line, unless
// failing saves were already said since the last one that succeeded.
FrameOutcome app_frame(App& app);

// Writes the song now, a change not yet saved included, as quitting writes
// it; a failure is said as a frame's is.  Returns whether it was written.
bool app_save_now(App& app);

// Shutdown: the last save, then everything closed in reverse order.  A last
// save that fails sets last_save_failed (and is said, as in app_frame).
// Returns the exit status: 0, or EXIT_SONG_NOT_KEPT after a last save that
// failed.
int app_stop(App& app);
