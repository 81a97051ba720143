// Keyboard, game-controller and joystick events turned into pad buttons,
// a stick deflection and key presses; and the stand-in pad (the keyboard on
// the grid, the page's touch pad) for players without a pad.
#pragma once

#include "app/core/app_state.h"
#include "controls/pad.h"

#include <SDL.h>

#include <cstdint>

// The touch pad's press (down) or release of pad button n (0..31), as the
// event the page pushes onto SDL's queue; handle_event plays it in order with
// the other events.
SDL_Event touch_pad_event(const InputState& input, int32_t n, bool down);

// Handles one polled event.  A quit request (SELECT + START, Escape, closing
// the window) clears input.running.  now is the SDL_GetTicks of the moment.
// With keys_play_pad, a key of KEY_TO_PAD pressed on the grid holds its pad
// button until released (the keyboard's own auto-repeat makes no presses);
// on the picker and the guide keys keep their meaning.
void handle_event(AppState& state, InputState& input, const SDL_Event& event, int32_t now);
