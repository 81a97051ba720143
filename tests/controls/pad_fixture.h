// A controls fixture: an AppState with its buffers, an InputState, a clock the
// test moves by hand, and SDL_Event records of every kind the handler reads.
#pragma once

#include "app/app.h"
#include "app/core/app_state.h"
#include "controls/actions.h"
#include "controls/dpad_repeat.h"
#include "controls/input.h"
#include "controls/messages.h"
#include "controls/repeat_timers.h"
#include "controls/resets.h"
#include "sound/audition.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <string>

inline SDL_Event controller_button_event(int button, bool down)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = down ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
    e.cbutton.button = static_cast<Uint8>(button);
    e.cbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

inline SDL_Event controller_axis_event(int axis, int value)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_CONTROLLERAXISMOTION;
    e.caxis.axis = static_cast<Uint8>(axis);
    e.caxis.value = static_cast<Sint16>(value);
    return e;
}

inline SDL_Event joy_button_event(int button, bool down)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    e.jbutton.button = static_cast<Uint8>(button);
    e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

inline SDL_Event joy_axis_event(int axis, int value)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = SDL_JOYAXISMOTION;
    e.jaxis.axis = static_cast<Uint8>(axis);
    e.jaxis.value = static_cast<Sint16>(value);
    return e;
}

inline SDL_Event key_event(SDL_Keycode key, bool down = true, bool repeat = false)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = key;
    e.key.repeat = repeat ? 1 : 0;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    return e;
}

inline SDL_Event plain_event(Uint32 type)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    return e;
}

// Starts like the program does on entering the picker, with a raw joystick
// (pad numbers pass unchanged) unless a test opens a controller.  A frame is
// the frame loop's own, drawing aside.
struct PadFixture : ::testing::Test {
    AppState state;
    InputState input;
    int32_t now = 10000;

    PadFixture()
    {
        EXPECT_TRUE(allocate_buffers(state));
        restart_audition(state, now);
    }
    ~PadFixture() override { free_buffers(state); }

    void send(const SDL_Event& e) { handle_event(state, input, e, now); }
    void press(int pad) { send(joy_button_event(pad, true)); }
    void release(int pad) { send(joy_button_event(pad, false)); }
    void tap(int pad)
    {
        press(pad);
        release(pad);
    }
    void key(SDL_Keycode k) { send(key_event(k)); }
    void frame() { frame_update(state, input, now); }
    void go_to(int32_t screen) { state.screen.store(screen); }
    bool lit(int row, int col) const { return state.grid[row][col] != 0; }
    void put_cursor(int row, int col)
    {
        state.cursor_row = row;
        state.cursor_col = col;
    }
    int lit_count() const
    {
        int count = 0;
        for (const auto& row : state.grid)
            for (uint8_t cell : row) count += cell != 0;
        return count;
    }
    // Forgets a pending save, to see whether the next action schedules one.
    void forget_save()
    {
        state.dirty = 0;
        state.save_due = 0;
    }
    bool save_scheduled() const { return state.dirty == 1 && state.save_due == now + 500; }
    std::string message() const { return state.message; }
};
