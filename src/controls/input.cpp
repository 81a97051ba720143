// Event dispatch: keyboard, game-controller and raw-joystick events turned
// into pad-button presses and releases, a stick deflection and key presses;
// the stand-in pad of the keyboard and the page's touch pad.
#include "controls/input.h"

#include "controls/actions.h"

#include <cstddef>
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

// The keyboard's pad on the grid, by key position (scancode), so that every
// layout plays the same places.
struct KeyPad {
    SDL_Scancode key;
    int32_t button;
};
static constexpr KeyPad KEY_TO_PAD[] = {
    {SDL_SCANCODE_UP, PAD_UP},         {SDL_SCANCODE_DOWN, PAD_DOWN},
    {SDL_SCANCODE_LEFT, PAD_LEFT},     {SDL_SCANCODE_RIGHT, PAD_RIGHT},
    {SDL_SCANCODE_X, PAD_A},           {SDL_SCANCODE_Z, PAD_B},
    {SDL_SCANCODE_S, PAD_X},           {SDL_SCANCODE_A, PAD_Y},
    {SDL_SCANCODE_Q, PAD_L1},          {SDL_SCANCODE_W, PAD_R1},
    {SDL_SCANCODE_1, PAD_L2},          {SDL_SCANCODE_2, PAD_R2},
    {SDL_SCANCODE_LSHIFT, PAD_SELECT}, {SDL_SCANCODE_RSHIFT, PAD_SELECT},
    {SDL_SCANCODE_RETURN, PAD_START},
};
static_assert(std::size(KEY_TO_PAD) <= 32, "pad_keys_down has a bit per key");

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

// ---- The stand-in pad ----

// The pad buttons the stand-in holds: those of the keys held and the touch pad's.
static uint32_t stand_in_buttons(const InputState& input)
{
    uint32_t held = input.touch_held;
    for (size_t i = 0; i < std::size(KEY_TO_PAD); i++)
        if (input.pad_keys_down & (1u << i)) held |= 1u << KEY_TO_PAD[i].button;
    return held;
}

// Sets or clears bit in mask (one of the stand-in's two), then presses or
// releases pad button n (below 32) when the stand-in's hold on it changed:
// two keys or fingers on one button press it once.
static void stand_in_hold(AppState& state, InputState& input, uint32_t& mask, uint32_t bit,
                          int32_t n, bool down, int32_t now)
{
    bool was_held = (stand_in_buttons(input) >> n) & 1u;
    mask = down ? mask | bit : mask & ~bit;
    bool held = (stand_in_buttons(input) >> n) & 1u;
    if (held == was_held) return;
    if (held)
        press(state, input, n, now);
    else
        release(state, input, n);
}

// A key of KEY_TO_PAD down (on the grid only) or up (anywhere: only a key
// that pressed its button releases it, so a key that opened the grid from
// the guide does nothing when let go there).
static void pad_key(AppState& state, InputState& input, const SDL_KeyboardEvent& e, int32_t now)
{
    for (size_t i = 0; i < std::size(KEY_TO_PAD); i++) {
        if (KEY_TO_PAD[i].key != e.keysym.scancode) continue;
        stand_in_hold(state, input, input.pad_keys_down, 1u << i, KEY_TO_PAD[i].button,
                      e.type == SDL_KEYDOWN, now);
        return;
    }
}

static void touch_button(AppState& state, InputState& input, int32_t n, bool down, int32_t now)
{
    if (n < 0 || n >= HELD_BUTTON_BITS) return;
    stand_in_hold(state, input, input.touch_held, 1u << n, n, down, now);
}

SDL_Event touch_pad_event(const InputState& input, int32_t n, bool down)
{
    SDL_Event event;
    SDL_zero(event);
    event.type = down ? input.touch_event : input.touch_event + 1;
    event.user.code = n;
    return event;
}

// ---- Dispatch ----

void handle_event(AppState& state, InputState& input, const SDL_Event& event, int32_t now)
{
    switch (event.type) {
    case SDL_QUIT: input.running = false; return;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE) {
            input.running = false;
        } else if (input.keys_play_pad && state.screen.load() == SCREEN_GRID) {
            // The keyboard's auto-repeat makes no presses: the D-pad repeats by itself.
            if (event.key.repeat == 0) pad_key(state, input, event.key, now);
        } else {
            // Auto-repeated presses act too (holding an arrow keeps stepping the bank).
            key_press(state, event.key.keysym.sym, now);
        }
        return;
    case SDL_KEYUP:
        if (input.keys_play_pad) pad_key(state, input, event.key, now);
        return;
    default: break;
    }
    if (input.touch_event != 0 &&
        (event.type == input.touch_event || event.type == input.touch_event + 1)) {
        touch_button(state, input, event.user.code, event.type == input.touch_event, now);
        return;
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
