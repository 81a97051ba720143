// Start-up, the frame loop and shutdown.
#pragma once

#include "app/core/app_state.h"
#include "app/core/state_file.h"
#include "controls/input.h"

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

// Start-up: fills state (which must be fresh and outlive the audio device),
// loads the song from the directory dir, opens SDL, window, renderer, input
// device and audio device, makes dir if it is missing and enters the picker.
// SDL's off-screen or dummy video counts as SDL failing unless
// SDL_VIDEODRIVER chose it.  Returns 0, or at once, after a line on standard
// error, the exit status of the step that failed; what the steps before it
// opened is left for the process's exit to release (only unseen video quits
// SDL first).  A song directory that cannot be made or written is said in one
// line, and the program plays without saving.
int app_start(App& app, AppState& state, const char* dir);

// The first joystick index that opens as a game controller; failing that the
// first raw joystick; failing that nothing (the keyboard alone).
void open_input_device(App& app);

// What a frame does between its events and its drawing, at now: the repeat
// timers, the picker's audition note when due, the debounced save when due.
// Returns what the save did.
SaveResult frame_update(AppState& state, InputState& input, int32_t now);

// One frame: events, frame_update, drawing, present, 4 ms delay.  Returns
// false once the player has quit during this frame.  A save that fails is
// said in one line, unless failing saves were already said since the last
// one that succeeded.
bool app_frame(App& app);

// Shutdown: the last save, then everything closed in reverse order.  A last
// save that fails sets last_save_failed (and is said, as in app_frame).
void app_stop(App& app);

// The whole program: the options (--help, --version) or a run with the song
// directory; returns the exit status (EXIT_SONG_NOT_KEPT after a quit whose
// last save failed).
int run_plim(int argc, char** argv);
