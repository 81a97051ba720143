// What buttons and keys do on the grid, the picker and the guide.
#include "pad_fixture.h"

#include "sound/instruments.h"

struct GridActions : PadFixture {
    GridActions() { go_to(SCREEN_GRID); }
};
struct PickerActions : PadFixture {};
struct GuideActions : PadFixture {
    GuideActions() { go_to(SCREEN_GUIDE); }
};

// ---- Cursor ----

TEST_F(GridActions, CursorWrapsAtEveryEdgeWithoutSaving)
{
    tap(PAD_UP);
    EXPECT_EQ(state.cursor_row, 7);
    tap(PAD_DOWN);
    EXPECT_EQ(state.cursor_row, 0);
    tap(PAD_LEFT);
    EXPECT_EQ(state.cursor_col, 15);
    tap(PAD_RIGHT);
    EXPECT_EQ(state.cursor_col, 0);
    put_cursor(7, 15);
    tap(PAD_DOWN);
    tap(PAD_RIGHT);
    EXPECT_EQ(state.cursor_row, 0);
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(state.dirty, 0) << "the cursor is not saved";
    EXPECT_EQ(lit_count(), 0);
}

TEST_F(GridActions, MoveCursorIgnoresOtherButtons)
{
    put_cursor(2, 3);
    state.paint = 1;
    move_cursor(state, PAD_A, now);
    move_cursor(state, PAD_SELECT, now);
    EXPECT_EQ(state.cursor_row, 2);
    EXPECT_EQ(state.cursor_col, 3);
    EXPECT_EQ(lit_count(), 0);
}

// ---- Cells and painting ----

TEST_F(GridActions, PlaceOnALitCellDarkensItAndTheDragDarkens)
{
    state.grid[0][0] = state.grid[0][1] = state.grid[0][2] = 1;
    press(PAD_A);
    EXPECT_EQ(state.grid[0][0], 0);
    EXPECT_EQ(state.paint, -1);
    EXPECT_TRUE(save_scheduled());
    tap(PAD_RIGHT);
    tap(PAD_RIGHT);
    EXPECT_EQ(lit_count(), 0);
    release(PAD_A);
    EXPECT_EQ(state.paint, 0);
}

TEST_F(GridActions, PlaceOnADarkCellLightsItAndTheDragLights)
{
    press(PAD_A);
    tap(PAD_DOWN);
    tap(PAD_DOWN);
    release(PAD_A);
    tap(PAD_DOWN);  // no longer painting
    EXPECT_TRUE(lit(0, 0) && lit(1, 0) && lit(2, 0));
    EXPECT_EQ(lit_count(), 3);
    EXPECT_EQ(state.cursor_row, 3);
}

TEST_F(GridActions, RemoveAnywhereAndTheDragDarkens)
{
    state.grid[4][4] = 1;
    state.grid[4][5] = 1;
    put_cursor(4, 3);  // a dark cell: REMOVE still paints dark
    press(PAD_B);
    EXPECT_EQ(state.paint, -1);
    EXPECT_TRUE(save_scheduled());
    tap(PAD_RIGHT);
    forget_save();
    tap(PAD_RIGHT);
    EXPECT_TRUE(save_scheduled()) << "each painted move schedules a save";
    EXPECT_EQ(lit_count(), 0);
}

TEST_F(GridActions, ReleasingBWhileAIsHeldStopsPainting)
{
    press(PAD_A);
    press(PAD_B);
    release(PAD_B);
    EXPECT_EQ(state.paint, 0);
    tap(PAD_RIGHT);
    EXPECT_EQ(lit_count(), 0) << "A's press lit 0,0 and B's removed it; the move paints nothing";
    EXPECT_EQ(state.cursor_col, 1);
}

TEST_F(GridActions, ALoadedByteOf2BecomesThreeAndPaintsLit)
{
    state.grid[0][0] = 2;
    press(PAD_A);
    EXPECT_EQ(state.grid[0][0], 3);
    EXPECT_EQ(state.paint, 1);
    tap(PAD_RIGHT);
    EXPECT_EQ(state.grid[0][1], 1);
}

TEST_F(GridActions, EmptyWhileAIsHeldClearsAndTheNextMoveStillPaints)
{
    state.grid[5][5] = 1;
    press(PAD_A);
    tap(PAD_X);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(message(), "ALL QUIET");
    EXPECT_EQ(state.paint, 1);
    EXPECT_TRUE(save_scheduled());
    tap(PAD_RIGHT);
    EXPECT_EQ(state.grid[0][1], 1);
    EXPECT_EQ(lit_count(), 1);
}

// ---- Settings ----

TEST_F(GridActions, PaceMovesByFourAndStopsAtItsLimits)
{
    tap(PAD_R1);
    EXPECT_EQ(state.pace.load(), 112);
    EXPECT_EQ(message(), "PACE : 112");
    state.pace.store(180);
    forget_save();
    tap(PAD_R1);
    EXPECT_EQ(state.pace.load(), 180);
    EXPECT_EQ(message(), "PACE : 180");
    EXPECT_TRUE(save_scheduled());
    state.pace.store(62);
    tap(PAD_L1);
    EXPECT_EQ(state.pace.load(), 60);
    forget_save();
    tap(PAD_L1);
    EXPECT_EQ(state.pace.load(), 60);
    EXPECT_EQ(message(), "PACE : 60");
    EXPECT_TRUE(save_scheduled());
    EXPECT_EQ(state.message_until, now + 1100);
}

TEST_F(GridActions, VoiceWrapsBothWaysWithinTheBank)
{
    state.bank.store(1);
    tap(PAD_L2);
    EXPECT_EQ(state.voice.load(), 2);
    EXPECT_EQ(message(), INSTRUMENT_NAMES[5]);
    EXPECT_TRUE(save_scheduled());
    tap(PAD_R2);
    EXPECT_EQ(state.voice.load(), 0);
    EXPECT_EQ(message(), INSTRUMENT_NAMES[3]);
    tap(PAD_R2);
    EXPECT_EQ(state.voice.load(), 1);
    EXPECT_EQ(state.bank.load(), 1);
}

TEST_F(GridActions, WobbleCyclesThroughItsThreeTexts)
{
    const char* expected[] = {"A LITTLE WONKY", "VERY WONKY", "STEADY AGAIN"};
    for (int i = 0; i < 3; i++) {
        forget_save();
        tap(PAD_Y);
        EXPECT_EQ(state.wobble.load(), (i + 1) % 3);
        EXPECT_EQ(message(), expected[i]);
        EXPECT_TRUE(save_scheduled());
    }
}

TEST_F(GridActions, SelectWithTheDPadSetsEchoAndSpaceWithinTheirLimits)
{
    state.space.store(2);
    press(PAD_SELECT);
    tap(PAD_LEFT);  // echo already 0
    EXPECT_EQ(state.echo.load(), 0);
    EXPECT_EQ(message(), "ECHO : 0 | SPACE : 2");
    EXPECT_TRUE(save_scheduled());
    for (int i = 0; i < 4; i++) tap(PAD_RIGHT);
    EXPECT_EQ(state.echo.load(), 3);
    tap(PAD_UP);
    forget_save();
    tap(PAD_UP);
    EXPECT_EQ(state.space.load(), 3);
    EXPECT_EQ(message(), "ECHO : 3 | SPACE : 3");
    EXPECT_TRUE(save_scheduled());
    for (int i = 0; i < 5; i++) tap(PAD_DOWN);
    EXPECT_EQ(state.space.load(), 0);
    EXPECT_EQ(message(), "ECHO : 3 | SPACE : 0");
    EXPECT_EQ(state.cursor_row, 0);
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(input.dpad_held, -1) << "SELECT + D-pad does not repeat";
}

TEST_F(GridActions, SelectChangesNothingButXAndTheDPad)
{
    press(PAD_SELECT);
    tap(PAD_A);
    tap(PAD_R1);
    tap(PAD_Y);
    tap(PAD_R2);
    EXPECT_TRUE(lit(0, 0));
    EXPECT_EQ(state.pace.load(), 112);
    EXPECT_EQ(state.wobble.load(), 1);
    EXPECT_EQ(state.voice.load(), 1);
}

TEST_F(GridActions, StartRestsAndWakesWithoutSaving)
{
    tap(PAD_START);
    EXPECT_EQ(state.resting.load(), 1);
    EXPECT_EQ(message(), "PLIM IS LISTENING");
    tap(PAD_START);
    EXPECT_EQ(state.resting.load(), 0);
    EXPECT_EQ(message(), "AWAKE");
    EXPECT_EQ(state.dirty, 0);
}

TEST_F(GridActions, KeysAndSpareButtonsDoNothing)
{
    for (SDL_Keycode k : {SDLK_RETURN, SDLK_SPACE, SDLK_RIGHT, SDLK_a}) key(k);
    for (int n : std::initializer_list<int>{PAD_SELECT, 14, 15, 17, 31, 200}) tap(n);
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(state.dirty, 0);
    EXPECT_EQ(message(), "");
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
}

// ---- FRESH START on the grid ----

TEST_F(GridActions, SelectAndXIsFreshStart)
{
    state.grid[1][1] = 1;
    state.pace.store(150);
    press(PAD_SELECT);
    press(PAD_X);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(state.pace.load(), 108);
    EXPECT_EQ(message(), "FRESH START");
}

TEST_F(GridActions, XThenSelectOnlyEmpties)
{
    state.grid[1][1] = 1;
    state.pace.store(150);
    press(PAD_X);
    press(PAD_SELECT);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(state.pace.load(), 150);
    EXPECT_EQ(message(), "ALL QUIET");
}

TEST_F(GridActions, Button16IsFreshStart)
{
    state.wobble.store(2);
    tap(PAD_16);
    EXPECT_EQ(state.wobble.load(), 0);
    EXPECT_EQ(message(), "FRESH START");
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
}

// ---- D-pad hold bookkeeping ----

TEST_F(GridActions, LatestDPadPressOwnsTheRepeat)
{
    press(PAD_RIGHT);
    EXPECT_EQ(input.dpad_held, PAD_RIGHT);
    EXPECT_EQ(input.dpad_due, now + 220);
    now += 50;
    press(PAD_DOWN);
    EXPECT_EQ(input.dpad_held, PAD_DOWN);
    EXPECT_EQ(input.dpad_due, now + 220);
    release(PAD_RIGHT);
    EXPECT_EQ(input.dpad_held, PAD_DOWN) << "releasing the older button changes nothing";
    release(PAD_DOWN);
    EXPECT_EQ(input.dpad_held, -1);
}

// ---- Picker ----

TEST_F(PickerActions, EveryBankChangeResetsTheVoiceAndSchedulesASave)
{
    struct Way {
        const char* name;
        int pad;  // -1: a key
        SDL_Keycode key;
        int step;
    };
    const Way ways[] = {
        {"D-pad down", PAD_DOWN, 0, 1}, {"D-pad right", PAD_RIGHT, 0, 1},
        {"D-pad up", PAD_UP, 0, -1},    {"D-pad left", PAD_LEFT, 0, -1},
        {"Down key", -1, SDLK_DOWN, 1}, {"Right key", -1, SDLK_RIGHT, 1},
        {"Up key", -1, SDLK_UP, -1},    {"Left key", -1, SDLK_LEFT, -1},
    };
    for (const Way& way : ways) {
        for (int32_t start : {0, 1, 2}) {
            state.bank.store(start);
            state.voice.store(2);
            state.preview_count = 3;
            forget_save();
            if (way.pad >= 0)
                tap(way.pad);
            else
                key(way.key);
            EXPECT_EQ(state.bank.load(), (start + way.step + 3) % 3)
                << way.name << " from " << start;
            EXPECT_EQ(state.voice.load(), 0) << way.name;
            EXPECT_EQ(state.preview_count, 0) << way.name;
            EXPECT_EQ(state.preview_due, now + 80) << way.name;
            EXPECT_TRUE(save_scheduled()) << way.name;
        }
    }
    EXPECT_EQ(input.dpad_held, -1) << "the D-pad does not repeat on the picker";
}

TEST_F(PickerActions, AReturnAndSpaceOpenTheGuideAndNothingElse)
{
    tap(PAD_A);
    EXPECT_EQ(state.screen.load(), SCREEN_GUIDE);
    for (SDL_Keycode k : {SDLK_RETURN, SDLK_SPACE}) {
        go_to(SCREEN_PICKER);
        key(k);
        EXPECT_EQ(state.screen.load(), SCREEN_GUIDE);
    }
    EXPECT_EQ(state.dirty, 0);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(state.paint, 0);
}

TEST_F(PickerActions, OtherButtonsAndKeysDoNothing)
{
    const int others[] = {PAD_B,  PAD_X,      PAD_Y,     PAD_L1, PAD_R1, PAD_L2,
                          PAD_R2, PAD_SELECT, PAD_START, 14,     40};
    for (int n : others) tap(n);
    for (SDL_Keycode k : {SDLK_a, SDLK_TAB, SDLK_BACKSPACE}) key(k);
    EXPECT_EQ(state.screen.load(), SCREEN_PICKER);
    EXPECT_EQ(state.resting.load(), 0) << "START rests only on the grid";
    EXPECT_EQ(state.pace.load(), 108);
    EXPECT_EQ(state.dirty, 0);
    EXPECT_TRUE(input.running);
}

TEST_F(PickerActions, Button16ResetsAndReplaysTheAuditionOnBankZero)
{
    state.bank.store(2);
    state.voice.store(1);
    state.grid[3][3] = 1;
    state.preview_count = 3;
    tap(PAD_16);
    EXPECT_EQ(state.bank.load(), 0);
    EXPECT_EQ(state.voice.load(), 0);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(state.preview_count, 0);
    EXPECT_EQ(state.preview_due, now + 80);
    EXPECT_EQ(state.screen.load(), SCREEN_PICKER);
    EXPECT_TRUE(save_scheduled());
}

// ---- Guide ----

TEST_F(GuideActions, AEntersTheGridWithoutPlacingACell)
{
    tap(PAD_A);
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(state.paint, 0);
    EXPECT_EQ(message(), INSTRUMENT_NAMES[0]);
}

TEST_F(GuideActions, EveryButtonButSelectAndStartEntersTheGrid)
{
    for (int n = 0; n < 256; n++) {
        if (n == PAD_16) continue;
        go_to(SCREEN_GUIDE);
        input.held_buttons = 0;
        press(n);
        int32_t expected = n == PAD_SELECT || n == PAD_START ? SCREEN_GUIDE : SCREEN_GRID;
        EXPECT_EQ(state.screen.load(), expected) << "button " << n;
    }
    EXPECT_EQ(state.cursor_row, 0) << "the D-pad press that leaves the guide does not move";
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(input.dpad_held, -1);
    EXPECT_EQ(state.resting.load(), 0);
    EXPECT_EQ(state.dirty, 0);
}

TEST_F(GuideActions, AnyKeyEntersTheGrid)
{
    for (SDL_Keycode k : {SDLK_a, SDLK_RETURN, SDLK_LEFT, SDLK_F1}) {
        go_to(SCREEN_GUIDE);
        key(k);
        EXPECT_EQ(state.screen.load(), SCREEN_GRID) << k;
    }
}

TEST_F(GuideActions, Button16ResetsAndTheGuideStays)
{
    state.pace.store(140);
    state.grid[0][3] = 1;
    tap(PAD_16);
    EXPECT_EQ(state.screen.load(), SCREEN_GUIDE);
    EXPECT_EQ(state.pace.load(), 108);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_TRUE(save_scheduled());
}
