// What each button, key and stick deflection does on each screen.
// Main thread only, inside the frame loop.  now is the SDL_GetTicks of the
// moment; every deadline written here is counted from it.
#pragma once

#include "app/core/app_state.h"
#include "controls/pad.h"

#include <SDL.h>

#include <cstdint>

// A pad-button press n (0..255) that has been through the held mask and the
// quit chord.
void pad_press(AppState& state, InputState& input, int32_t n, int32_t now);
// A pad-button release n (0..31); the caller clears the held bit afterwards.
void pad_release(AppState& state, InputState& input, int32_t n);
// A key press other than Escape.
void key_press(AppState& state, SDL_Keycode key, int32_t now);

// Moves the cursor one cell for D-pad button n (8..11), wrapping, and paints
// the cell it lands on while painting is on; other n do nothing.
void move_cursor(AppState& state, int32_t n, int32_t now);
// The picker's bank choice, step +1 or -1, wrapping; restarts the audition on
// the new bank's first instrument and schedules a save.
void change_bank(AppState& state, int32_t step, int32_t now);
