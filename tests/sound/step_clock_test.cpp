// Step timing: step lengths, wobble timing, the first step after the grid opens, rest and resume.
#include "engine_fixture.h"

#include <gtest/gtest.h>

// Ticks the clock until the step changes; the number of ticks it took.
static int ticks_to_next_step(AppState& state)
{
    int32_t start = state.step.load();
    int ticks = 0;
    do {
        clock_tick(state);
        ticks++;
    } while (state.step.load() == start && ticks < 100000);
    return ticks;
}

// Runs the callback one frame at a time until the step changes; frames it took.
static int frames_to_next_step(AppState& state)
{
    int32_t start = state.step.load();
    Uint8 frame[4];
    int frames = 0;
    do {
        audio_callback(&state, frame, sizeof frame);
        frames++;
    } while (state.step.load() == start && frames < 100000);
    return frames;
}

TEST(StepLength, Pace60LastsExactly12000SamplesAndPace180Exactly4000)
{
    for (int32_t pace : {60, 180}) {
        AppState state;
        state.pace.store(pace);
        int expected = pace == 60 ? 12000 : 4000;
        for (int i = 0; i < 20; i++) {
            ASSERT_EQ(ticks_to_next_step(state), expected) << "pace " << pace << " step " << i;
            EXPECT_EQ(state.step_pos.load(), 0.0);
        }
    }
}

TEST(StepLength, Pace108AlternatesBetween6666And6667WithAMeanOf6666Point67)
{
    AppState state;
    EXPECT_DOUBLE_EQ(step_length(state), 6666.666666666667);
    int total = 0;
    int longer = 0;
    for (int i = 0; i < 48; i++) {
        int ticks = ticks_to_next_step(state);
        ASSERT_TRUE(ticks == 6666 || ticks == 6667) << ticks;
        longer += ticks == 6667;
        total += ticks;
    }
    EXPECT_NEAR(total, 320000, 1);  // 48 x 6666.67
    EXPECT_NEAR(longer, 32, 1);     // two of every three steps
}

TEST(StepLength, WobbleLengthensAndShortensStepsByBank)
{
    AppState state;
    state.wobble.store(2);
    state.bank.store(1);  // swing: even steps longer, odd steps shorter
    state.step.store(0);
    EXPECT_DOUBLE_EQ(step_length(state), 7646.666666666667);
    state.step.store(7);
    EXPECT_DOUBLE_EQ(step_length(state), 5686.666666666667);

    state.bank.store(2);
    state.step.store(0);  // offset index (3 x 1) mod 8 = 3: 0.008, scaled by 0.72
    EXPECT_DOUBLE_EQ(step_length(state), 6827.946666666667);

    state.bank.store(0);
    state.wobble.store(1);
    state.step.store(0);  // offset index 1: 0.018
    EXPECT_DOUBLE_EQ(step_length(state), 7002.666666666667);
    state.step.store(7);  // offset index 0: no change
    EXPECT_DOUBLE_EQ(step_length(state), 6666.666666666667);

    state.wobble.store(0);
    state.step.store(0);
    EXPECT_DOUBLE_EQ(step_length(state), 6666.666666666667);
}

TEST(StepLength, ABank1SwingPairLastsTwoPlainSteps)
{
    AppState state;
    state.pace.store(60);
    state.bank.store(1);
    state.wobble.store(2);
    state.step.store(1);  // the next step is 2, an even one
    ticks_to_next_step(state);
    int even = ticks_to_next_step(state);
    int odd = ticks_to_next_step(state);
    EXPECT_EQ(even, 13764);  // 12000 x 1.147
    EXPECT_EQ(odd, 10236);   // 12000 x 0.853
    EXPECT_EQ(even + odd, 24000);
}

TEST(StepLength, PaceChangeActsOnTheNextSampleAndKeepsThePositionReached)
{
    AppState state;
    state.pace.store(60);
    for (int i = 0; i < 5000; i++) clock_tick(state);
    EXPECT_EQ(state.step.load(), 15);
    EXPECT_EQ(state.step_pos.load(), 5000.0);
    state.pace.store(180);
    clock_tick(state);  // 5001 is past the new length of 4000
    EXPECT_EQ(state.step.load(), 0);
    EXPECT_EQ(state.step_pos.load(), 1001.0);
}

TEST(GridClock, FirstStepSoundsOnSample6667AfterTheGridOpens)
{
    Engine engine;
    AppState& state = engine.state;
    state.grid[0][0] = 1;
    state.screen.store(SCREEN_GRID);
    Uint8 frame[4];
    for (int i = 0; i < 6666; i++) {
        audio_callback(&state, frame, sizeof frame);
        ASSERT_EQ(frame[0] | frame[1] | frame[2] | frame[3], 0) << "frame " << i;
    }
    EXPECT_EQ(state.step.load(), 15);
    EXPECT_EQ(state.flash[0][0].load(), 0.0f);
    audio_callback(&state, frame, sizeof frame);  // the 6667th sample
    EXPECT_EQ(state.step.load(), 0);
    EXPECT_EQ(state.flash[0][0].load(), 1.0f);
    EXPECT_NE(frame[0] | frame[1] | frame[2] | frame[3], 0);
}

TEST(GridClock, RunsOnlyOnTheGridScreen)
{
    for (int32_t screen : {SCREEN_PICKER, SCREEN_GUIDE}) {
        Engine engine;
        engine.state.screen.store(screen);
        light_all(engine.state);
        Samples out = render(engine.state, 20000);
        EXPECT_EQ(engine.state.step.load(), 15);
        EXPECT_EQ(engine.state.step_pos.load(), 0.0);
        EXPECT_EQ(peak_magnitude(out), 0);
    }
}

TEST(GridClock, RestingFreezesTheStepAndResumesWithoutSkippingOrRepeating)
{
    Engine engine;
    AppState& state = engine.state;
    state.pace.store(60);
    state.grid[2][0] = 1;
    state.screen.store(SCREEN_GRID);
    render(state, 5000);
    state.resting.store(1);
    Samples rested = render(state, 30000);
    EXPECT_EQ(state.step.load(), 15);
    EXPECT_EQ(state.step_pos.load(), 5000.0);
    EXPECT_EQ(peak_magnitude(rested), 0);
    EXPECT_EQ(state.gate[2], 0);

    state.resting.store(0);
    EXPECT_EQ(frames_to_next_step(state), 7000);  // the rest of step 15 first
    EXPECT_EQ(state.step.load(), 0);
    EXPECT_EQ(state.gate[2], 1);
    for (int32_t next = 1; next < 20; next++) {
        EXPECT_EQ(frames_to_next_step(state), 12000);
        EXPECT_EQ(state.step.load(), next % 16);
    }
}
