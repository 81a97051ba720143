// The pad every input is turned into: its button numbering and the frame
// loop's input record, shared by input, the actions and the repeat timers.
#pragma once

#include <cstdint>

// The one button numbering all input is turned into.
enum PadButton : int32_t {
    PAD_B = 0,
    PAD_A = 1,
    PAD_X = 2,
    PAD_Y = 3,
    PAD_L1 = 4,
    PAD_R1 = 5,
    PAD_L2 = 6,
    PAD_R2 = 7,
    PAD_UP = 8,
    PAD_DOWN = 9,
    PAD_LEFT = 10,
    PAD_RIGHT = 11,
    PAD_SELECT = 12,
    PAD_START = 13,
    PAD_16 = 16,  // FRESH START, raw joysticks only
};

// The frame loop's input record.
struct InputState {
    bool running = true;  // cleared by a quit request; set again at the start of every frame
    bool controller_open = false;  // a game controller is in use; raw joystick events are muted
    uint32_t held_buttons = 0;     // bit n while pad button n (below 32) is held
    int32_t stick_x = 0;           // after the dead zone; negative is left
    int32_t stick_y = 0;           // negative is up
    bool trigger_down[2] = {false, false};  // left, right
    int32_t stick_due = 0;                  // earliest next stick step
    int32_t dpad_held = -1;                 // the D-pad button that repeats, -1 for none
    int32_t dpad_due = 0;                   // next D-pad repeat
    // The stand-in pad.  Its buttons go through the same held mask, quit
    // chord and actions as a real pad's; a real pad opened beside it works
    // as ever.
    bool keys_play_pad = false;  // on the grid, keys play pad buttons (KEY_TO_PAD)
    uint32_t pad_keys_down = 0;  // bit i while key KEY_TO_PAD[i] is held on the grid
    uint32_t touch_held = 0;     // bit n while the touch pad holds pad button n
    uint32_t touch_event = 0;    // first of the touch pad's two event types (press,
                                 // release); 0 when none could be registered
};
