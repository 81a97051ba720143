// The stick step and the D-pad auto-repeat, driven frame by frame with the
// clock as an argument.
#include "pad_fixture.h"

struct StickOnGrid : PadFixture {
    StickOnGrid() { go_to(SCREEN_GRID); }
    void stick(int x, int y)
    {
        send(joy_axis_event(0, x));
        send(joy_axis_event(1, y));
    }
    void frame_at(int32_t t)
    {
        now = t;
        frame();
    }
};

struct DPadRepeat : StickOnGrid {};
struct StickElsewhere : PadFixture {};

TEST_F(StickOnGrid, HeldRightMovesAtOnceThenEvery72ms)
{
    stick(30000, 0);
    frame_at(10000);
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10071);
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10072);
    EXPECT_EQ(state.cursor_col, 2);
    frame_at(10150);  // a late frame: the next step is 72 ms after this one
    EXPECT_EQ(state.cursor_col, 3);
    frame_at(10221);
    EXPECT_EQ(state.cursor_col, 3);
    frame_at(10222);
    EXPECT_EQ(state.cursor_col, 4);
    EXPECT_EQ(state.dirty, 0);
}

TEST_F(StickOnGrid, PushedAgain30msAfterItsLastStepWaitsFor72)
{
    stick(30000, 0);
    frame_at(10000);
    stick(0, 0);
    frame_at(10010);
    stick(30000, 0);
    frame_at(10030);
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10071);
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10072);
    EXPECT_EQ(state.cursor_col, 2);
}

TEST_F(StickOnGrid, PushedAgain200msAfterItsLastStepMovesAtOnce)
{
    stick(0, 30000);
    frame_at(10000);
    stick(0, 0);
    frame_at(10100);
    EXPECT_EQ(state.cursor_row, 1);
    stick(0, 30000);
    frame_at(10200);
    EXPECT_EQ(state.cursor_row, 2);
}

TEST_F(StickOnGrid, EqualDiagonalMovesVerticallyOnly)
{
    stick(20000, 20000);
    frame_at(10000);
    EXPECT_EQ(state.cursor_row, 1);
    EXPECT_EQ(state.cursor_col, 0);
    stick(-25000, 25000);
    frame_at(10100);
    EXPECT_EQ(state.cursor_row, 2);
    EXPECT_EQ(state.cursor_col, 0);
    stick(-25001, 25000);  // the larger deflection wins
    frame_at(10200);
    EXPECT_EQ(state.cursor_col, 15);
}

TEST_F(StickOnGrid, WrapsLikeTheDPad)
{
    stick(0, -32768);
    frame_at(10000);
    EXPECT_EQ(state.cursor_row, 7);
    stick(-32768, 0);
    frame_at(10100);
    EXPECT_EQ(state.cursor_col, 15);
    stick(32767, 0);
    frame_at(10200);
    EXPECT_EQ(state.cursor_col, 0);
    stick(0, 32767);
    frame_at(10300);
    EXPECT_EQ(state.cursor_row, 0);
}

TEST_F(StickOnGrid, PaintsWhileAIsHeldAndIgnoresSelect)
{
    press(PAD_SELECT);
    press(PAD_A);
    stick(30000, 0);
    frame_at(10000);
    frame_at(10072);
    EXPECT_TRUE(lit(0, 0) && lit(0, 1) && lit(0, 2));
    EXPECT_TRUE(save_scheduled());
}

TEST_F(StickOnGrid, AStaleDeadlineFromBeforeATickWrapDoesNotBlock)
{
    // The last stick step was 30 days of ticks ago: its deadline reads as far ahead.
    input.stick_due = now + 72;
    now = static_cast<int32_t>(static_cast<uint32_t>(now) + 30u * 24 * 3600 * 1000);
    stick(30000, 0);
    frame();
    EXPECT_EQ(state.cursor_col, 1);
}

TEST_F(StickElsewhere, StickOnThePickerChangesTheBankEvery220ms)
{
    send(joy_axis_event(0, -30000));
    run_repeat_timers(state, input, now);
    EXPECT_EQ(state.bank.load(), 2);
    EXPECT_EQ(state.voice.load(), 0);
    EXPECT_TRUE(save_scheduled());
    run_repeat_timers(state, input, now + 219);
    EXPECT_EQ(state.bank.load(), 2);
    run_repeat_timers(state, input, now + 220);
    EXPECT_EQ(state.bank.load(), 1);
    send(joy_axis_event(0, 0));
    send(joy_axis_event(1, 30000));
    run_repeat_timers(state, input, now + 440);
    EXPECT_EQ(state.bank.load(), 2);
    EXPECT_EQ(state.cursor_row, 0) << "the picker's stick never moves the cursor";
}

TEST_F(StickElsewhere, StickOnTheGuideDoesNothing)
{
    go_to(SCREEN_GUIDE);
    input.stick_due = 1234;
    send(joy_axis_event(0, 30000));
    run_repeat_timers(state, input, now);
    EXPECT_EQ(state.screen.load(), SCREEN_GUIDE);
    EXPECT_EQ(state.bank.load(), 0);
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(input.stick_due, 1234);
}

TEST_F(DPadRepeat, FirstRepeatAfter220ThenEvery72FromTheActualRepeat)
{
    press(PAD_RIGHT);  // at 10000
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10016);
    frame_at(10219);
    EXPECT_EQ(state.cursor_col, 1);
    frame_at(10230);  // the first frame past 220 ms
    EXPECT_EQ(state.cursor_col, 2);
    frame_at(10301);  // 71 ms after the repeat made at 10230
    EXPECT_EQ(state.cursor_col, 2);
    frame_at(10310);
    EXPECT_EQ(state.cursor_col, 3);
    frame_at(10400);  // late: nothing is caught up
    EXPECT_EQ(state.cursor_col, 4);
    frame_at(10471);
    EXPECT_EQ(state.cursor_col, 4);
    frame_at(10472);
    EXPECT_EQ(state.cursor_col, 5);
    release(PAD_RIGHT);
    frame_at(11000);
    EXPECT_EQ(state.cursor_col, 5);
}

TEST_F(DPadRepeat, SelectPausesTheRepeatAndItsReleaseResumesIt)
{
    press(PAD_RIGHT);  // at 10000
    frame_at(10220);
    EXPECT_EQ(state.cursor_col, 2);
    press(PAD_SELECT);
    tap(PAD_UP);  // SPACE up, no move, the held right stays the repeating button
    EXPECT_EQ(state.space.load(), 1);
    EXPECT_EQ(state.cursor_row, 0);
    frame_at(10300);
    frame_at(10500);
    EXPECT_EQ(state.cursor_col, 2) << "paused while SELECT is held";
    EXPECT_EQ(input.dpad_held, PAD_RIGHT);
    release(PAD_SELECT);
    frame_at(10510);  // long overdue: one repeat, then 72 ms from it
    EXPECT_EQ(state.cursor_col, 3);
    frame_at(10581);
    EXPECT_EQ(state.cursor_col, 3);
    frame_at(10582);
    EXPECT_EQ(state.cursor_col, 4);
}

TEST_F(DPadRepeat, PaintsOnEveryRepeat)
{
    press(PAD_B);
    state.grid[0][1] = state.grid[0][2] = 1;
    press(PAD_RIGHT);
    frame_at(10220);
    EXPECT_EQ(state.cursor_col, 2);
    EXPECT_EQ(lit_count(), 0);
}

TEST_F(DPadRepeat, KeepsRepeatingThroughFreshStart)
{
    press(PAD_DOWN);
    tap(PAD_16);
    EXPECT_EQ(state.cursor_row, 0);
    frame_at(10220);
    EXPECT_EQ(state.cursor_row, 1);
}

TEST_F(DPadRepeat, RunsAcrossTheTickCounterWrap)
{
    now = INT32_MAX - 100;
    press(PAD_LEFT);
    frame_at(INT32_MAX);
    EXPECT_EQ(state.cursor_col, 15);
    frame_at(INT32_MIN + 119);  // 220 ms after the press
    EXPECT_EQ(state.cursor_col, 14);
    frame_at(INT32_MIN + 190);
    EXPECT_EQ(state.cursor_col, 14);
    frame_at(INT32_MIN + 191);
    EXPECT_EQ(state.cursor_col, 13);
}
