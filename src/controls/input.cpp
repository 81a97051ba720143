// Event dispatch: keyboard, game-controller and raw-joystick events turned
// into pad-button presses and releases, a stick deflection and key presses.
#include "controls/input.h"

#include "controls/actions.h"

#include <cstdlib>
#include <iterator>

// Pad button of each SDL game-controller button from A to DPAD_RIGHT; -1
// where the button is dropped (guide and the two stick clicks), as is every
// later button.
static constexpr int32_t CONTROLLER_TO_PAD[SDL_CONTROLLER_BUTTON_DPAD_RIGHT + 1] = {
    PAD_A,       // A
    PAD_B,       // B
    PAD_X,       // X
    PAD_Y,       // Y
    PAD_SELECT,  // BACK
    -1,          // GUIDE
    PAD_START,   // START
    -1,          // LEFTSTICK
    -1,          // RIGHTSTICK
    PAD_L1,      // LEFTSHOULDER
    PAD_R1,      // RIGHTSHOULDER
    PAD_UP,      // DPAD_UP
    PAD_DOWN,    // DPAD_DOWN
    PAD_LEFT,    // DPAD_LEFT
    PAD_RIGHT,   // DPAD_RIGHT
};

constexpr int32_t TRIGGER_PRESS_ABOVE = 16000;  // while released
constexpr int32_t TRIGGER_RELEASE_AT = 8000;    // while pressed: at or below, released
constexpr int32_t STICK_DEAD_ZONE = 10000;      // |v| at or below reads as centred
constexpr int HELD_BUTTON_BITS = 32;
constexpr uint32_t QUIT_CHORD = (1u << PAD_SELECT) | (1u << PAD_START);

static void press(AppState& state, InputState& input, int32_t n, int32_t now)
{
    if (n < HELD_BUTTON_BITS) input.held_buttons |= 1u << n;
    if ((input.held_buttons & QUIT_CHORD) == QUIT_CHORD) {
        input.running = false;  // SELECT + START: quit, and the press does nothing else
        return;
    }
    pad_press(state, input, n, now);
}

static void release(AppState& state, InputState& input, int32_t n)
{
    if (n >= HELD_BUTTON_BITS) return;
    pad_release(state, input, n);
    input.held_buttons &= ~(1u << n);
}

static void controller_button(AppState& state, InputState& input,
                              const SDL_ControllerButtonEvent& e, int32_t now)
{
    int button = e.button;
    bool down = e.type == SDL_CONTROLLERBUTTONDOWN;
    if (button >= static_cast<int>(std::size(CONTROLLER_TO_PAD))) return;
    int32_t n = CONTROLLER_TO_PAD[button];
    if (n < 0) return;
    if (down)
        press(state, input, n, now);
    else
        release(state, input, n);
}

// Analogue trigger with hysteresis: presses above 16000, releases at 8000 or below.
static void trigger(AppState& state, InputState& input, int side, int32_t value, int32_t now)
{
    bool was_down = input.trigger_down[side];
    int32_t threshold = was_down ? TRIGGER_RELEASE_AT : TRIGGER_PRESS_ABOVE;
    bool down = value > threshold;
    if (down == was_down) return;
    input.trigger_down[side] = down;
    int32_t n = side == 0 ? PAD_L2 : PAD_R2;
    if (down)
        press(state, input, n, now);
    else
        release(state, input, n);
}

static void stick(InputState& input, int axis, int32_t value)
{
    int32_t deflection = std::abs(value) > STICK_DEAD_ZONE ? value : 0;
    if (axis == 0)
        input.stick_x = deflection;
    else
        input.stick_y = deflection;
}

static void controller_axis(AppState& state, InputState& input, const SDL_ControllerAxisEvent& e,
                            int32_t now)
{
    switch (e.axis) {
    case SDL_CONTROLLER_AXIS_LEFTX:
    case SDL_CONTROLLER_AXIS_LEFTY: stick(input, e.axis, e.value); break;
    case SDL_CONTROLLER_AXIS_TRIGGERLEFT: trigger(state, input, 0, e.value, now); break;
    case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: trigger(state, input, 1, e.value, now); break;
    default: break;  // the right stick
    }
}

void handle_event(AppState& state, InputState& input, const SDL_Event& event, int32_t now)
{
    switch (event.type) {
    case SDL_QUIT: input.running = false; return;
    case SDL_KEYDOWN:
        // Auto-repeated presses act too (holding an arrow keeps stepping the bank).
        if (event.key.keysym.sym == SDLK_ESCAPE)
            input.running = false;
        else
            key_press(state, event.key.keysym.sym, now);
        return;
    default: break;
    }

    if (input.controller_open) {
        // The controller's raw joystick events are muted so that one press acts once.
        switch (event.type) {
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: controller_button(state, input, event.cbutton, now); break;
        case SDL_CONTROLLERAXISMOTION: controller_axis(state, input, event.caxis, now); break;
        default: break;
        }
        return;
    }

    switch (event.type) {
    case SDL_JOYAXISMOTION:
        if (event.jaxis.axis <= 1) stick(input, event.jaxis.axis, event.jaxis.value);
        break;
    case SDL_JOYBUTTONDOWN: press(state, input, event.jbutton.button, now); break;
    case SDL_JOYBUTTONUP: release(state, input, event.jbutton.button); break;
    default: break;  // hats, balls, devices, window, text, mouse, touch
    }
}
