// The stick step and the D-pad auto-repeat, run once per frame.
#include "controls/repeat_timers.h"

#include "app/core/ticks.h"
#include "controls/actions.h"
#include "controls/dpad_repeat.h"

#include <cstdlib>

constexpr int32_t STICK_GRID_MS = 72;     // stick step on the grid
constexpr int32_t STICK_PICKER_MS = 220;  // stick step (bank change) on the picker

// A deadline is due when it has passed.  These deadlines are never set more
// than `longest` ms ahead, so one that seems further ahead is stale: the tick
// counter has wrapped past it while it sat unused (a stick left alone for
// weeks).  Such a deadline counts as passed instead of blocking for weeks.
static bool due(int32_t deadline, int32_t now, int32_t longest)
{
    bool too_far_ahead = !deadline_passed(deadline, ticks_after(now, longest));
    return deadline_passed(deadline, now) || too_far_ahead;
}

// The D-pad button that moves the cursor the way the stick points.  The
// larger deflection wins; equal magnitudes count as vertical.
static int32_t stick_direction(const InputState& input)
{
    if (std::abs(input.stick_x) > std::abs(input.stick_y))
        return input.stick_x > 0 ? PAD_RIGHT : PAD_LEFT;
    return input.stick_y > 0 ? PAD_DOWN : PAD_UP;
}

// Held off centre, the stick steps at once and then every 72 ms on the grid
// (cursor) or 220 ms on the picker (bank).  Returning to the centre resets
// nothing; SELECT makes no difference.
static void stick_step(AppState& state, InputState& input, int32_t now)
{
    if (input.stick_x == 0 && input.stick_y == 0) return;
    if (!due(input.stick_due, now, STICK_PICKER_MS)) return;
    int32_t direction = stick_direction(input);
    switch (state.screen.load()) {
    case SCREEN_GUIDE: return;
    case SCREEN_PICKER:
        change_bank(state, direction == PAD_RIGHT || direction == PAD_DOWN ? 1 : -1, now);
        input.stick_due = ticks_after(now, STICK_PICKER_MS);
        return;
    default:
        move_cursor(state, direction, now);
        input.stick_due = ticks_after(now, STICK_GRID_MS);
        return;
    }
}

// A held D-pad button on the grid repeats 220 ms after its press, then 72 ms
// after each repeat actually made (late frames push the rhythm back, nothing
// is caught up).  SELECT pauses the repeat without forgetting the button.
static void dpad_repeat(AppState& state, InputState& input, int32_t now)
{
    if (input.dpad_held < 0 || state.screen.load() != SCREEN_GRID) return;
    if ((input.held_buttons & (1u << PAD_SELECT)) != 0) return;
    if (!due(input.dpad_due, now, DPAD_FIRST_MS)) return;
    move_cursor(state, input.dpad_held, now);
    next_dpad_repeat(input, now);
}

void run_repeat_timers(AppState& state, InputState& input, int32_t now)
{
    stick_step(state, input, now);
    dpad_repeat(state, input, now);
}
