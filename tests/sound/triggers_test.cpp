// Note triggers: wobble accents and octave jumps, phase restarts, full columns and the picker's
// audition.
#include "engine_fixture.h"

#include "app/core/ticks.h"
#include "sound/instruments.h"
#include "sound/voices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

// Ticks the clock until it has triggered `step`.
static void tick_until_step(AppState& state, int32_t step)
{
    for (int i = 0; i < 2000000 && state.step.load() != step; i++) clock_tick(state);
    ASSERT_EQ(state.step.load(), step);
}

static void expect_voice_started(const AppState& state, int row, double peak, double pitch_mul)
{
    EXPECT_EQ(state.gate[row], 1) << "row " << row;
    EXPECT_DOUBLE_EQ(state.peak[row], peak) << "row " << row;
    EXPECT_EQ(state.pitch_mul[row], pitch_mul) << "row " << row;
}

TEST(Accents, Bank1AtWobble2JumpsAnOctaveAtStep0Row3)
{
    AppState state;
    state.bank.store(1);
    state.wobble.store(2);
    state.grid[3][0] = 1;
    state.grid[4][0] = 1;
    tick_until_step(state, 0);
    expect_voice_started(state, 3, 0.93, 2.0);                   // t = 0
    expect_voice_started(state, 4, 0.93 + 0.5 * 0.34 * 0, 1.0);  // t = 3
    EXPECT_EQ(state.flash[3][0].load(), 1.0f);
}

TEST(Accents, Bank1AtWobble1KeepsThePitchOfStep0Row3)
{
    AppState state;
    state.bank.store(1);
    state.wobble.store(1);
    state.grid[3][0] = 1;
    tick_until_step(state, 0);
    expect_voice_started(state, 3, 0.93, 1.0);
}

TEST(Accents, Bank0AtWobble1DampsStep1Row0To0Point9976)
{
    AppState state;
    state.wobble.store(1);
    state.grid[0][1] = 1;  // t = 5: peak 0.93 + 0.5 x 0.23 x 2 = 1.16, times 0.86
    state.grid[1][1] = 1;  // t = 8: peak 0.93 + 0.5 x 0.23 x 2, undamped
    tick_until_step(state, 1);
    EXPECT_NEAR(state.peak[0], 0.9976, 1e-15);
    EXPECT_NEAR(state.peak[1], 1.16, 1e-15);
    EXPECT_EQ(state.pitch_mul[0], 1.0);
}

TEST(Accents, Bank2ScalesThePeakByThePositionInTheBar)
{
    AppState state;
    state.bank.store(2);
    state.wobble.store(2);
    state.grid[1][2] = 1;  // t = (10 + 14 + 3) mod 16 = 11: 0.93 + 0.34, times 0.92 + 0.05
    tick_until_step(state, 2);
    EXPECT_NEAR(state.peak[1], 1.2319, 1e-15);
    EXPECT_EQ(state.pitch_mul[1], 1.0);
}

TEST(Accents, Wobble0GivesEveryNotePeak1AndItsOwnPitch)
{
    for (int32_t bank = 0; bank < 3; bank++) {
        AppState state;
        state.bank.store(bank);
        light_all(state);
        for (int32_t step = 0; step < 16; step++) {
            tick_until_step(state, step);
            for (int row = 0; row < GRID_ROWS; row++) expect_voice_started(state, row, 1.0, 1.0);
        }
    }
}

TEST(Triggers, AFullColumnStartsAllEightVoicesOnOneSample)
{
    Engine engine;
    AppState& state = engine.state;
    for (int row = 0; row < GRID_ROWS; row++) state.grid[row][0] = 1;
    state.grid[5][1] = 1;
    state.pace.store(180);
    state.screen.store(SCREEN_GRID);
    render(state, 3999);
    for (int row = 0; row < GRID_ROWS; row++) EXPECT_EQ(state.gate[row], 0);
    render(state, 1);
    double first_level = 1.0 / (ATTACK_TIME[0] * SAMPLE_RATE);
    for (int row = 0; row < GRID_ROWS; row++) {
        EXPECT_EQ(state.gate[row], 1);
        EXPECT_EQ(state.env[row], first_level);  // all on their first attack sample
        EXPECT_EQ(state.phase[row], ROW_PITCH[row] / SAMPLE_RATE);
        EXPECT_EQ(state.flash[row][0].load(), 1.0f);
        EXPECT_EQ(state.flash[row][1].load(), 0.0f);
    }
}

TEST(Triggers, APhaseRunsOnAbove0Point05AndRestartsBelow)
{
    AppState state;
    state.env[2] = 0.05;
    state.phase[2] = 0.4;
    start_voice(state, 2, 1.0, 1.0);
    EXPECT_EQ(state.phase[2], 0.4);
    state.env[2] = 0.0499;
    start_voice(state, 2, 1.0, 1.0);
    EXPECT_EQ(state.phase[2], 0.0);
    EXPECT_EQ(state.env[2], 0.0499);  // the attack rises from where the voice is
}

// A row lit at steps 0 and 1: at the second trigger a long METAL CHIME note
// still rings above 0.05 and keeps its phase; a short SOFT MALLET note has
// faded below it and starts over.
TEST(Triggers, ASecondNoteKeepsThePhaseOfARingingVoice)
{
    for (int instrument : {8, 0}) {
        Engine engine;
        AppState& state = engine.state;
        set_instrument(state, instrument);
        state.grid[4][0] = 1;
        state.grid[4][1] = 1;
        state.screen.store(SCREEN_GRID);
        Uint8 frame[4];
        while (state.step.load() != 0) audio_callback(&state, frame, sizeof frame);
        while (true) {
            double env_before = state.env[4];
            double phase_before = state.phase[4];
            audio_callback(&state, frame, sizeof frame);
            if (state.step.load() != 1) continue;
            double dt = ROW_PITCH[4] / SAMPLE_RATE;
            if (instrument == 8) {
                EXPECT_GT(env_before, 0.05);
                double expected = phase_before + dt;
                if (expected >= 1.0) expected -= 1.0;
                EXPECT_EQ(state.phase[4], expected);
                EXPECT_NE(phase_before, 0.0);
            } else {
                EXPECT_LT(env_before, 0.05);
                EXPECT_EQ(state.phase[4], dt);  // one sample on from 0
            }
            break;
        }
    }
}

// --- The picker's audition ---------------------------------------------------

TEST(Audition, PlaysTheBanksThreeRowsAt80And155MsGaps)
{
    AppState state;  // on the picker, bank 0, audio device 0
    restart_audition(state, 1000);
    EXPECT_EQ(state.preview_due, 1080);
    play_preview(state, 1079);
    EXPECT_EQ(state.preview_count, 0);
    EXPECT_EQ(state.gate[6], 0);

    play_preview(state, 1080);
    EXPECT_EQ(state.preview_count, 1);
    expect_voice_started(state, 6, 0.72, 1.0);
    EXPECT_EQ(state.preview_due, 1235);
    play_preview(state, 1234);
    EXPECT_EQ(state.gate[4], 0);
    play_preview(state, 1240);  // a late frame plays it, the next counts from then
    expect_voice_started(state, 4, 0.72, 1.0);
    EXPECT_EQ(state.preview_due, 1395);
    play_preview(state, 1395);
    expect_voice_started(state, 2, 0.72, 1.0);
    EXPECT_EQ(state.preview_count, 3);

    state.gate[6] = 0;
    play_preview(state, 5000);  // three notes and no more
    EXPECT_EQ(state.preview_count, 3);
    EXPECT_EQ(state.gate[6], 0);
    for (const auto& row : state.flash)
        for (const auto& cell : row) EXPECT_EQ(cell.load(), 0.0f);
}

TEST(Audition, PlaysOnlyOnThePicker)
{
    for (int32_t screen : {SCREEN_GUIDE, SCREEN_GRID}) {
        AppState state;
        state.screen.store(screen);
        restart_audition(state, 0);
        play_preview(state, 1000);
        EXPECT_EQ(state.preview_count, 0);
        for (int row = 0; row < GRID_ROWS; row++) EXPECT_EQ(state.gate[row], 0);
    }
}

TEST(Audition, DueTimesSurviveTheTickCounterWrapping)
{
    AppState state;
    int32_t now = INT32_MAX - 50;
    restart_audition(state, now);  // due 80 ms later, past the wrap
    play_preview(state, ticks_after(now, 79));
    EXPECT_EQ(state.preview_count, 0);
    play_preview(state, ticks_after(now, 80));
    EXPECT_EQ(state.preview_count, 1);
}

// A bank change restarts the audition with the new bank's rows; the notes
// already started keep sounding, from the next buffer on with the new bank's
// first instrument.
TEST(Audition, ABankChangeRestartsItWithTheNewBanksRows)
{
    Engine engine;
    AppState& state = engine.state;
    restart_audition(state, 0);
    play_preview(state, 80);
    play_preview(state, 235);  // rows 6 and 4 of bank 0 are sounding
    render(state, 600);        // past their attacks
    ASSERT_EQ(state.gate[6], 0);

    state.bank.store(2);
    restart_audition(state, 240);
    double env_before = state.env[6];
    render(state, 512);
    EXPECT_NEAR(state.env[6], env_before * std::pow(RELEASE_MULT[6], 512), 1e-12);
    EXPECT_GT(state.env[4], SILENT_LEVEL);

    play_preview(state, 320);
    play_preview(state, 475);
    play_preview(state, 630);
    EXPECT_EQ(state.preview_count, 3);
    for (int row : {7, 5, 2}) expect_voice_started(state, row, 0.72, 1.0);
}
