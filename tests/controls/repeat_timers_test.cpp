// The stick step and the D-pad auto-repeat, driven frame by frame with the
// clock as an argument.  One table of cases: each is a script of what the
// player does, the frames and what must hold after each step.
#include "pad_fixture.h"

#include <climits>
#include <ostream>
#include <vector>

namespace {

enum Do {
    STICK,      // the stick to x = a, y = b
    PRESS,      // pad button a down
    RELEASE,    // pad button a up
    TAP,        // pad button a down and up
    FRAME,      // a frame at tick a
    CLOCK,      // the clock to tick a, without a frame
    STICK_DUE,  // the stick's next step set to tick a by hand
    LIGHT,      // cell (a, b) lit by hand
    CHECK,      // nothing; only the check
};

enum Check {
    NO_CHECK,
    COL,             // cursor_col
    ROW,             // cursor_row
    BANK,            // bank
    VOICE,           // voice
    SPACE,           // space
    SCREEN,          // screen
    ROW_0_LIT,       // the lit cells of row 0, a bit per column
    LIT_COUNT,       // lit cells in the whole grid
    DIRTY,           // dirty
    SAVE_SCHEDULED,  // 1 when a save is due 500 ms from now
    DPAD_HELD,       // the repeating D-pad button
    STICK_DUE_AT,    // the stick's next step
};

struct Step {
    Do what;
    int32_t a = 0;
    int32_t b = 0;
    Check check = NO_CHECK;
    int32_t want = 0;
    const char* why = "";
};

struct TimerCase {
    const char* name;
    int32_t screen;
    std::vector<Step> steps;
};

// A failing case is shown by its name.
void PrintTo(const TimerCase& c, std::ostream* out) { *out << c.name; }

// 30 days of ticks after the fixture's start, wrapped as the counter wraps.
constexpr int32_t THIRTY_DAYS_LATER = static_cast<int32_t>(10000u + 30u * 24 * 3600 * 1000);

const TimerCase CASES[] = {
    // --- The stick on the grid ---
    {"StickHeldRightMovesAtOnceThenEvery72ms",
     SCREEN_GRID,
     {
         {STICK, 30000, 0},
         {FRAME, 10000, 0, COL, 1},
         {FRAME, 10071, 0, COL, 1},
         {FRAME, 10072, 0, COL, 2},
         {FRAME, 10150, 0, COL, 3, "a late frame: the next step is 72 ms after this one"},
         {FRAME, 10221, 0, COL, 3},
         {FRAME, 10222, 0, COL, 4},
         {CHECK, 0, 0, DIRTY, 0},
     }},
    {"StickPushedAgain30msAfterItsLastStepWaitsFor72",
     SCREEN_GRID,
     {
         {STICK, 30000, 0},
         {FRAME, 10000},
         {STICK, 0, 0},
         {FRAME, 10010},
         {STICK, 30000, 0},
         {FRAME, 10030, 0, COL, 1},
         {FRAME, 10071, 0, COL, 1},
         {FRAME, 10072, 0, COL, 2},
     }},
    {"StickPushedAgain200msAfterItsLastStepMovesAtOnce",
     SCREEN_GRID,
     {
         {STICK, 0, 30000},
         {FRAME, 10000},
         {STICK, 0, 0},
         {FRAME, 10100, 0, ROW, 1},
         {STICK, 0, 30000},
         {FRAME, 10200, 0, ROW, 2},
     }},
    {"StickEqualDiagonalMovesVerticallyOnly",
     SCREEN_GRID,
     {
         {STICK, 20000, 20000},
         {FRAME, 10000, 0, ROW, 1},
         {CHECK, 0, 0, COL, 0},
         {STICK, -25000, 25000},
         {FRAME, 10100, 0, ROW, 2},
         {CHECK, 0, 0, COL, 0},
         {STICK, -25001, 25000},
         {FRAME, 10200, 0, COL, 15, "the larger deflection wins"},
     }},
    {"StickWrapsLikeTheDPad",
     SCREEN_GRID,
     {
         {STICK, 0, -32768},
         {FRAME, 10000, 0, ROW, 7},
         {STICK, -32768, 0},
         {FRAME, 10100, 0, COL, 15},
         {STICK, 32767, 0},
         {FRAME, 10200, 0, COL, 0},
         {STICK, 0, 32767},
         {FRAME, 10300, 0, ROW, 0},
     }},
    {"StickPaintsWhileAIsHeldAndIgnoresSelect",
     SCREEN_GRID,
     {
         {PRESS, PAD_SELECT},
         {PRESS, PAD_A},
         {STICK, 30000, 0},
         {FRAME, 10000},
         {FRAME, 10072, 0, ROW_0_LIT, 0b111, "(0,0), (0,1) and (0,2)"},
         {CHECK, 0, 0, SAVE_SCHEDULED, 1},
     }},
    // The last stick step was 30 days of ticks ago: its deadline reads as far ahead.
    {"StickAStaleDeadlineFromBeforeATickWrapDoesNotBlock",
     SCREEN_GRID,
     {
         {STICK_DUE, 10000 + 72},
         {STICK, 30000, 0},
         {FRAME, THIRTY_DAYS_LATER, 0, COL, 1},
     }},
    // --- The stick elsewhere ---
    {"StickOnThePickerChangesTheBankEvery220ms",
     SCREEN_PICKER,
     {
         {STICK, -30000, 0},
         {FRAME, 10000, 0, BANK, 2},
         {CHECK, 0, 0, VOICE, 0},
         {CHECK, 0, 0, SAVE_SCHEDULED, 1},
         {FRAME, 10219, 0, BANK, 2},
         {FRAME, 10220, 0, BANK, 1},
         {STICK, 0, 30000},
         {FRAME, 10440, 0, BANK, 2},
         {CHECK, 0, 0, ROW, 0, "the picker's stick never moves the cursor"},
     }},
    {"StickOnTheGuideDoesNothing",
     SCREEN_GUIDE,
     {
         {STICK_DUE, 1234},
         {STICK, 30000, 0},
         {FRAME, 10000, 0, SCREEN, SCREEN_GUIDE},
         {CHECK, 0, 0, BANK, 0},
         {CHECK, 0, 0, COL, 0},
         {CHECK, 0, 0, STICK_DUE_AT, 1234},
     }},
    // --- The D-pad repeat on the grid ---
    {"DPadFirstRepeatAfter220ThenEvery72FromTheActualRepeat",
     SCREEN_GRID,
     {
         {PRESS, PAD_RIGHT, 0, COL, 1, "at 10000"},
         {FRAME, 10016},
         {FRAME, 10219, 0, COL, 1},
         {FRAME, 10230, 0, COL, 2, "the first frame past 220 ms"},
         {FRAME, 10301, 0, COL, 2, "71 ms after the repeat made at 10230"},
         {FRAME, 10310, 0, COL, 3},
         {FRAME, 10400, 0, COL, 4, "late: nothing is caught up"},
         {FRAME, 10471, 0, COL, 4},
         {FRAME, 10472, 0, COL, 5},
         {RELEASE, PAD_RIGHT},
         {FRAME, 11000, 0, COL, 5},
     }},
    {"DPadSelectPausesTheRepeatAndItsReleaseResumesIt",
     SCREEN_GRID,
     {
         {PRESS, PAD_RIGHT},
         {FRAME, 10220, 0, COL, 2},
         {PRESS, PAD_SELECT},
         {TAP, PAD_UP, 0, SPACE, 1, "SPACE up; the held right stays the repeating button"},
         {CHECK, 0, 0, ROW, 0, "SELECT + up moves nothing"},
         {FRAME, 10300},
         {FRAME, 10500, 0, COL, 2, "paused while SELECT is held"},
         {CHECK, 0, 0, DPAD_HELD, PAD_RIGHT},
         {RELEASE, PAD_SELECT},
         {FRAME, 10510, 0, COL, 3, "long overdue: one repeat, then 72 ms from it"},
         {FRAME, 10581, 0, COL, 3},
         {FRAME, 10582, 0, COL, 4},
     }},
    {"DPadPaintsOnEveryRepeat",
     SCREEN_GRID,
     {
         {PRESS, PAD_B},
         {LIGHT, 0, 1},
         {LIGHT, 0, 2},
         {PRESS, PAD_RIGHT},
         {FRAME, 10220, 0, COL, 2},
         {CHECK, 0, 0, LIT_COUNT, 0},
     }},
    {"DPadKeepsRepeatingThroughFreshStart",
     SCREEN_GRID,
     {
         {PRESS, PAD_DOWN},
         {TAP, PAD_16, 0, ROW, 0},
         {FRAME, 10220, 0, ROW, 1},
     }},
    {"DPadRunsAcrossTheTickCounterWrap",
     SCREEN_GRID,
     {
         {CLOCK, INT32_MAX - 100},
         {PRESS, PAD_LEFT},
         {FRAME, INT32_MAX, 0, COL, 15},
         {FRAME, INT32_MIN + 119, 0, COL, 14, "220 ms after the press"},
         {FRAME, INT32_MIN + 190, 0, COL, 14},
         {FRAME, INT32_MIN + 191, 0, COL, 13},
     }},
};

}  // namespace

struct RepeatTimers : PadFixture, ::testing::WithParamInterface<TimerCase> {
    void run(const Step& step)
    {
        switch (step.what) {
        case STICK:
            send(joy_axis_event(0, step.a));
            send(joy_axis_event(1, step.b));
            break;
        case PRESS: press(step.a); break;
        case RELEASE: release(step.a); break;
        case TAP: tap(step.a); break;
        case FRAME:
            now = step.a;
            frame();
            break;
        case CLOCK: now = step.a; break;
        case STICK_DUE: input.stick_due = step.a; break;
        case LIGHT: state.grid[step.a][step.b] = 1; break;
        case CHECK: break;
        }
    }

    int32_t checked(Check check) const
    {
        switch (check) {
        case NO_CHECK: return 0;
        case COL: return state.cursor_col;
        case ROW: return state.cursor_row;
        case BANK: return state.bank.load();
        case VOICE: return state.voice.load();
        case SPACE: return state.space.load();
        case SCREEN: return state.screen.load();
        case ROW_0_LIT: {
            int32_t bits = 0;
            for (int col = 0; col < GRID_COLS; col++) bits |= lit(0, col) ? 1 << col : 0;
            return bits;
        }
        case LIT_COUNT: return lit_count();
        case DIRTY: return state.dirty;
        case SAVE_SCHEDULED: return save_scheduled() ? 1 : 0;
        case DPAD_HELD: return input.dpad_held;
        case STICK_DUE_AT: return input.stick_due;
        }
        return 0;
    }
};

TEST_P(RepeatTimers, FollowTheScript)
{
    const TimerCase& timer_case = GetParam();
    go_to(timer_case.screen);
    for (size_t i = 0; i < timer_case.steps.size(); i++) {
        const Step& step = timer_case.steps[i];
        run(step);
        if (step.check != NO_CHECK) {
            EXPECT_EQ(checked(step.check), step.want) << "step " << i << " " << step.why;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RepeatTimers, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<TimerCase>& info) {
                             return std::string(info.param.name);
                         });
