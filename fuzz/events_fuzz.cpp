// Fuzzes the controls with arbitrary sequences of SDL events (keys, controller
// buttons and axes, joystick buttons 0..255 and axes, quit, the keys' and the
// touch pad's stand-in pad with buttons 0..255) interleaved with
// frames of the repeat timers and the audition, on every screen: nothing may
// crash and after every step every setting, the cursor and the paint mode
// must be in range.
#include "fuzz_support.h"

#include "app/core/ticks.h"
#include "controls/actions.h"
#include "controls/dpad_repeat.h"
#include "controls/input.h"
#include "controls/messages.h"
#include "controls/repeat_timers.h"
#include "controls/resets.h"
#include "sound/audio.h"
#include "sound/audition.h"
#include "sound/step_clock.h"

#include <cstring>

namespace {

AppState* state;  // one record for the process, reset for each input

void check_ranges(const InputState& input)
{
    check_settings(*state);
    check(within(state->cursor_col, 0, GRID_COLS - 1), "cursor column inside the grid");
    check(within(state->cursor_row, 0, GRID_ROWS - 1), "cursor row inside the grid");
    check(within(state->paint, -1, 1), "paint in -1..1");
    check(within(state->screen.load(), SCREEN_PICKER, SCREEN_GRID), "a known screen");
    check(within(state->preview_count, 0, 3), "at most three audition notes");
    check(input.dpad_held == -1 || within(input.dpad_held, PAD_UP, PAD_RIGHT),
          "a D-pad button repeats");
    check(std::memchr(state->message, '\0', MESSAGE_SIZE) != nullptr, "message terminated");
}

const SDL_Keycode KEYS[] = {SDLK_LEFT,  SDLK_RIGHT,  SDLK_UP, SDLK_DOWN, SDLK_RETURN,
                            SDLK_SPACE, SDLK_ESCAPE, SDLK_a,  SDLK_x,    SDLK_F1};
// Where those keys lie, for the keyboard's pad; then Shift, S, Z and 2.
const SDL_Scancode KEY_PLACES[] = {SDL_SCANCODE_LEFT,   SDL_SCANCODE_RIGHT,  SDL_SCANCODE_UP,
                                   SDL_SCANCODE_DOWN,   SDL_SCANCODE_RETURN, SDL_SCANCODE_SPACE,
                                   SDL_SCANCODE_ESCAPE, SDL_SCANCODE_A,      SDL_SCANCODE_X,
                                   SDL_SCANCODE_F1,     SDL_SCANCODE_LSHIFT, SDL_SCANCODE_S,
                                   SDL_SCANCODE_Z,      SDL_SCANCODE_2};
constexpr size_t KEY_COUNT = sizeof KEYS / sizeof KEYS[0];
constexpr Uint32 TOUCH_EVENT =
    SDL_USEREVENT;  // the touch pad's press; its release is the next type

SDL_Event event_from(Bytes& in, uint8_t kind)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    switch (kind % 11) {
    case 0: event.type = SDL_QUIT; break;
    case 1:
    case 2: {
        // Down (auto-repeated when the next byte's top bit is set) or up.
        event.type = kind % 11 == 1 ? SDL_KEYDOWN : SDL_KEYUP;
        uint8_t key = in.next();
        size_t place = key % (sizeof KEY_PLACES / sizeof KEY_PLACES[0]);
        event.key.keysym.scancode = KEY_PLACES[place];
        event.key.keysym.sym = place < KEY_COUNT ? KEYS[place] : SDLK_UNKNOWN;
        event.key.repeat = key >> 7;
        break;
    }
    case 9:
    case 10:
        event.type = kind % 11 == 9 ? TOUCH_EVENT : TOUCH_EVENT + 1;
        event.user.code = in.next();  // beyond the 32 held buttons too
        break;
    case 3:
    case 4:
        event.type = kind % 9 == 3 ? SDL_CONTROLLERBUTTONDOWN : SDL_CONTROLLERBUTTONUP;
        event.cbutton.button = in.next() % 24;  // beyond the last button too
        break;
    case 5:
        event.type = SDL_CONTROLLERAXISMOTION;
        event.caxis.axis = in.next() % 8;
        event.caxis.value = in.next16();
        break;
    case 6:
    case 7:
        event.type = kind % 9 == 6 ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
        event.jbutton.button = in.next();
        break;
    default:
        event.type = SDL_JOYAXISMOTION;
        event.jaxis.axis = in.next() % 4;
        event.jaxis.value = in.next16();
        break;
    }
    return event;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    state = make_state();
    return 0;
}

// Input: the screen to start on, whether a controller is open and keys play
// the pad, a start tick, then steps: an event, or a frame of the timers after
// some milliseconds.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reset_state(*state);
    Bytes in{data, size};
    state->screen.store(in.next() % 3);
    InputState input;
    uint8_t devices = in.next();
    input.controller_open = devices & 1;
    input.keys_play_pad = devices & 2;
    input.touch_event = TOUCH_EVENT;
    int32_t now = static_cast<int32_t>(static_cast<uint32_t>(in.next16()) << 16);  // wraps too
    restart_audition(*state, now);

    for (int steps = 0; in.left() && steps < 4096; steps++) {
        uint8_t kind = in.next();
        if (kind >= 200) {
            now = ticks_after(now, in.next());
            run_repeat_timers(*state, input, now);
            play_preview(*state, now);
        } else {
            handle_event(*state, input, event_from(in, kind), now);
        }
        check_ranges(input);
    }
    return 0;
}
