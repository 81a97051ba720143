// Event dispatch: controller translation, triggers, stick, raw joystick,
// keyboard and the ways to quit.
#include "pad_fixture.h"

#include "sound/instruments.h"

struct RawInput : PadFixture {};

struct ControllerInput : PadFixture {
    ControllerInput()
    {
        input.controller_open = true;
        go_to(SCREEN_GRID);
    }
    void controller(int button, bool down) { send(controller_button_event(button, down)); }
    void axis(int a, int value) { send(controller_axis_event(a, value)); }
};

// ---- Controller buttons ----

TEST_F(ControllerInput, AAndBPlaceAndRemoveACell)
{
    put_cursor(3, 5);
    controller(SDL_CONTROLLER_BUTTON_A, true);
    controller(SDL_CONTROLLER_BUTTON_A, false);
    EXPECT_EQ(state.grid[3][5], 1);
    controller(SDL_CONTROLLER_BUTTON_B, true);
    controller(SDL_CONTROLLER_BUTTON_B, false);
    EXPECT_EQ(state.grid[3][5], 0);
}

TEST_F(ControllerInput, EachButtonHoldsItsPadButton)
{
    // Indexed by SDL controller button; -1 where the button is dropped.
    const int expected_pad[15] = {PAD_A,  PAD_B,     PAD_X,    PAD_Y,    PAD_SELECT,
                                  -1,     PAD_START, -1,       -1,       PAD_L1,
                                  PAD_R1, PAD_UP,    PAD_DOWN, PAD_LEFT, PAD_RIGHT};
    go_to(SCREEN_PICKER);  // few actions there, so nothing else gets in the way
    for (int button = 0; button < 15; button++) {
        controller(button, true);
        uint32_t expected = expected_pad[button] < 0 ? 0u : 1u << expected_pad[button];
        EXPECT_EQ(input.held_buttons, expected) << "controller button " << button;
        controller(button, false);
        EXPECT_EQ(input.held_buttons, 0u) << "controller button " << button;
    }
}

TEST_F(ControllerInput, GuideButtonStickClicksAndHigherButtonsDoNothingAnywhere)
{
    const int ignored[] = {SDL_CONTROLLER_BUTTON_GUIDE,
                           SDL_CONTROLLER_BUTTON_LEFTSTICK,
                           SDL_CONTROLLER_BUTTON_RIGHTSTICK,
                           15,
                           16,
                           20};
    for (int32_t screen : {SCREEN_PICKER, SCREEN_GUIDE, SCREEN_GRID}) {
        go_to(screen);
        for (int button : ignored) {
            controller(button, true);
            controller(button, false);
        }
        EXPECT_EQ(state.screen.load(), screen);
        EXPECT_EQ(input.held_buttons, 0u);
        EXPECT_EQ(state.dirty, 0);
        EXPECT_EQ(lit_count(), 0);
    }
}

TEST_F(ControllerInput, OnePhysicalPressActsOnce)
{
    // SDL reports a controller press and, right after, the same press on the raw joystick.
    controller(SDL_CONTROLLER_BUTTON_A, true);
    press(SDL_CONTROLLER_BUTTON_A);   // raw button 0 would be REMOVE
    send(joy_button_event(1, true));  // raw button 1 would be PLACE again
    EXPECT_EQ(state.grid[0][0], 1);
    EXPECT_EQ(input.held_buttons, 1u << PAD_A);
    send(joy_axis_event(0, 30000));
    EXPECT_EQ(input.stick_x, 0);
}

TEST_F(ControllerInput, ControllerEventsAreIgnoredWithoutAController)
{
    input.controller_open = false;
    controller(SDL_CONTROLLER_BUTTON_A, true);
    axis(SDL_CONTROLLER_AXIS_LEFTX, 30000);
    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000);
    EXPECT_EQ(lit_count(), 0);
    EXPECT_EQ(input.held_buttons, 0u);
    EXPECT_EQ(input.stick_x, 0);
    EXPECT_FALSE(input.trigger_down[0]);
}

// ---- Triggers ----

TEST_F(ControllerInput, LeftTriggerPressesAbove16000AndReleasesAt8000)
{
    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16000);
    EXPECT_FALSE(input.trigger_down[0]);
    EXPECT_EQ(state.voice.load(), 0);

    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16001);  // L2 once: voice 0 goes back to 2
    EXPECT_TRUE(input.trigger_down[0]);
    EXPECT_EQ(input.held_buttons, 1u << PAD_L2);
    EXPECT_EQ(state.voice.load(), 2);

    for (int value : {32767, 12000, 8001, 16500}) axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, value);
    EXPECT_EQ(state.voice.load(), 2) << "no further press while above 8000";
    EXPECT_TRUE(input.trigger_down[0]);

    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 8000);
    EXPECT_FALSE(input.trigger_down[0]);
    EXPECT_EQ(input.held_buttons, 0u);
    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 16000);
    EXPECT_EQ(state.voice.load(), 2) << "released again: 16000 is not enough";
    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 20000);
    EXPECT_EQ(state.voice.load(), 1);
}

TEST_F(ControllerInput, RightTriggerIsR2WithItsOwnState)
{
    axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 30000);
    axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 30000);
    EXPECT_TRUE(input.trigger_down[0]);
    EXPECT_TRUE(input.trigger_down[1]);
    EXPECT_EQ(input.held_buttons, (1u << PAD_L2) | (1u << PAD_R2));
    EXPECT_EQ(state.voice.load(), 0);  // back one, then on one
    EXPECT_EQ(message(), INSTRUMENT_NAMES[0]);
    axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
    EXPECT_EQ(input.held_buttons, 1u << PAD_L2);
}

TEST_F(ControllerInput, TriggerOnTheGuideEntersTheGrid)
{
    go_to(SCREEN_GUIDE);
    axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(state.voice.load(), 0) << "the press that leaves the guide does nothing else";
}

// ---- Stick ----

TEST_F(ControllerInput, StickDeadZoneIsExclusiveOf10000)
{
    const int cases[][2] = {{10000, 0},       {-10000, 0},    {10001, 10001}, {-10001, -10001},
                            {-32768, -32768}, {32767, 32767}, {0, 0}};
    for (const auto& c : cases) {
        axis(SDL_CONTROLLER_AXIS_LEFTX, c[0]);
        EXPECT_EQ(input.stick_x, c[1]) << "x " << c[0];
        axis(SDL_CONTROLLER_AXIS_LEFTY, c[0]);
        EXPECT_EQ(input.stick_y, c[1]) << "y " << c[0];
    }
}

TEST_F(ControllerInput, RightStickIsIgnored)
{
    axis(SDL_CONTROLLER_AXIS_RIGHTX, 30000);
    axis(SDL_CONTROLLER_AXIS_RIGHTY, 30000);
    EXPECT_EQ(input.stick_x, 0);
    EXPECT_EQ(input.stick_y, 0);
}

TEST_F(RawInput, RawStickUsesAxesZeroAndOneOnly)
{
    send(joy_axis_event(0, -20000));
    send(joy_axis_event(1, 9000));
    send(joy_axis_event(2, 30000));
    EXPECT_EQ(input.stick_x, -20000);
    EXPECT_EQ(input.stick_y, 0);
    send(joy_axis_event(1, -32768));
    EXPECT_EQ(input.stick_y, -32768);
    EXPECT_EQ(input.stick_x, -20000) << "a value stands until its own axis moves";
}

// ---- Raw joystick buttons ----

TEST_F(RawInput, RawButton40LeavesTheGuideAndItsReleaseDoesNothing)
{
    go_to(SCREEN_GUIDE);
    press(40);
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(input.held_buttons, 0u) << "buttons above 31 are not tracked";
    state.paint = 1;
    input.dpad_held = PAD_RIGHT;
    release(40);
    EXPECT_EQ(state.paint, 1);
    EXPECT_EQ(input.dpad_held, PAD_RIGHT);
}

TEST_F(RawInput, RawButtonsBelow32AreTracked)
{
    go_to(SCREEN_GRID);
    press(31);
    press(14);
    EXPECT_EQ(input.held_buttons, (1u << 31) | (1u << 14));
    release(31);
    EXPECT_EQ(input.held_buttons, 1u << 14);
    release(15);  // never pressed: only clears a clear bit
    EXPECT_EQ(input.held_buttons, 1u << 14);
}

TEST_F(RawInput, HatsAndOtherEventsAreIgnored)
{
    go_to(SCREEN_GRID);
    SDL_Event hat = plain_event(SDL_JOYHATMOTION);
    hat.jhat.value = SDL_HAT_RIGHT;
    send(hat);
    send(plain_event(SDL_JOYDEVICEREMOVED));
    send(plain_event(SDL_MOUSEBUTTONDOWN));
    send(plain_event(SDL_WINDOWEVENT));
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_TRUE(input.running);
}

// ---- Quitting ----

TEST_F(RawInput, WindowCloseQuits)
{
    send(plain_event(SDL_QUIT));
    EXPECT_FALSE(input.running);
}

TEST_F(RawInput, EscapeQuitsOnEveryScreenAndLaterEventsStillAct)
{
    for (int32_t screen : {SCREEN_PICKER, SCREEN_GUIDE, SCREEN_GRID}) {
        input.running = true;
        go_to(screen);
        key(SDLK_ESCAPE);
        EXPECT_FALSE(input.running);
        EXPECT_EQ(state.screen.load(), screen) << "Escape is not a key press for the screen";
    }
    go_to(SCREEN_PICKER);
    input.running = true;
    key(SDLK_ESCAPE);
    key(SDLK_RIGHT);  // the next event in the same frame's queue
    EXPECT_FALSE(input.running);
    EXPECT_EQ(state.bank.load(), 1);
}

TEST_F(RawInput, SelectThenStartQuitsWithoutResting)
{
    go_to(SCREEN_GRID);
    press(PAD_SELECT);
    EXPECT_TRUE(input.running);
    press(PAD_START);
    EXPECT_FALSE(input.running);
    EXPECT_EQ(state.resting.load(), 0);
    EXPECT_EQ(message(), "");
}

TEST_F(RawInput, StartThenSelectRestsAndThenQuits)
{
    go_to(SCREEN_GRID);
    press(PAD_START);
    EXPECT_EQ(state.resting.load(), 1);
    EXPECT_TRUE(input.running);
    press(PAD_SELECT);
    EXPECT_FALSE(input.running);
}

TEST_F(ControllerInput, QuitChordWorksOnEveryScreenWithTheController)
{
    for (int32_t screen : {SCREEN_PICKER, SCREEN_GUIDE, SCREEN_GRID}) {
        input.running = true;
        go_to(screen);
        controller(SDL_CONTROLLER_BUTTON_BACK, true);
        controller(SDL_CONTROLLER_BUTTON_START, true);
        EXPECT_FALSE(input.running);
        EXPECT_EQ(state.screen.load(), screen);
        controller(SDL_CONTROLLER_BUTTON_BACK, false);
        controller(SDL_CONTROLLER_BUTTON_START, false);
    }
}

// ---- Keyboard ----

TEST_F(RawInput, HeldRightArrowStepsTheBankAtEveryAutoRepeat)
{
    send(key_event(SDLK_RIGHT));
    send(key_event(SDLK_RIGHT, true, true));
    send(key_event(SDLK_RIGHT, true, true));
    EXPECT_EQ(state.bank.load(), 0);  // 0 -> 1 -> 2 -> 0
    send(key_event(SDLK_RIGHT, true, true));
    EXPECT_EQ(state.bank.load(), 1);
    send(key_event(SDLK_RIGHT, false));
    EXPECT_EQ(state.bank.load(), 1) << "releases are ignored";
    EXPECT_EQ(input.held_buttons, 0u) << "keys never hold pad buttons";
}
