// The two resets: leaving the guide, and FRESH START.  Each resets exactly its
// own list and leaves everything else as it was.
#include "pad_fixture.h"

#include "sound/instruments.h"

#include <algorithm>

struct Resets : PadFixture {
    // Every field the resets could touch, away from its start value.
    Resets()
    {
        for (int row = 0; row < GRID_ROWS; row++) {
            state.grid[row][row * 2] = 1;
            state.gate[row] = 1;
            state.phase[row] = 0.25;
            state.env[row] = 0.5;
            state.peak[row] = 0.9;
            state.pitch_mul[row] = 2.0;
            for (int col = 0; col < GRID_COLS; col++) state.flash[row][col].store(0.75f);
        }
        state.cursor_col = 9;
        state.cursor_row = 6;
        state.step.store(4);
        state.resting.store(1);
        state.pace.store(140);
        state.bank.store(2);
        state.voice.store(1);
        state.wobble.store(2);
        state.echo.store(3);
        state.space.store(1);
        state.paint = 1;
        state.preview_count = 2;
        state.preview_due = 4321;
        state.logo_start = 777;
        state.step_pos.store(1234.5);
        state.tone_state = 0.3;
        state.dc_out = 0.2;
        state.dc_prev = 0.1;
        state.echo_mix = 0.6f;
        state.space_mix = 0.4f;
        state.delay_pos = 500;
        state.comb_a_pos = 600;
        state.comb_b_pos = 700;
        std::fill(state.delay_line, state.delay_line + DELAY_LENGTH, 0.5f);
        std::fill(state.comb_a, state.comb_a + COMB_A_LENGTH, 0.5f);
        std::fill(state.comb_b, state.comb_b + COMB_B_LENGTH, 0.5f);

        input.held_buttons = 1u << PAD_DOWN;
        input.stick_x = 20000;
        input.trigger_down[1] = true;
        input.stick_due = 111;
        input.dpad_held = PAD_DOWN;
        input.dpad_due = 222;
    }

    static bool all_equal(const float* buffer, int length, float value)
    {
        for (int i = 0; i < length; i++)
            if (buffer[i] != value) return false;
        return true;
    }
    bool effect_buffers_are(float value) const
    {
        return all_equal(state.delay_line, DELAY_LENGTH, value) &&
               all_equal(state.comb_a, COMB_A_LENGTH, value) &&
               all_equal(state.comb_b, COMB_B_LENGTH, value);
    }
    void expect_voices_phases_and_pitches_kept() const
    {
        for (int row = 0; row < GRID_ROWS; row++) {
            EXPECT_EQ(state.env[row], 0.0);
            EXPECT_EQ(state.gate[row], 0);
            EXPECT_EQ(state.phase[row], 0.25);
            EXPECT_EQ(state.peak[row], 0.9);
            EXPECT_EQ(state.pitch_mul[row], 2.0);
        }
    }
    void expect_effect_positions_and_mixes_kept() const
    {
        EXPECT_EQ(state.echo_mix, 0.6f);
        EXPECT_EQ(state.space_mix, 0.4f);
        EXPECT_EQ(state.delay_pos, 500);
        EXPECT_EQ(state.comb_a_pos, 600);
        EXPECT_EQ(state.comb_b_pos, 700);
    }
    void expect_input_kept() const
    {
        EXPECT_EQ(input.held_buttons, 1u << PAD_DOWN);
        EXPECT_EQ(input.stick_x, 20000);
        EXPECT_TRUE(input.trigger_down[1]);
        EXPECT_EQ(input.stick_due, 111);
        EXPECT_EQ(input.dpad_held, PAD_DOWN);
        EXPECT_EQ(input.dpad_due, 222);
    }
};

TEST_F(Resets, EnterGridSilencesVoicesAndEffectsOnly)
{
    go_to(SCREEN_GUIDE);
    enter_grid(state, now);

    expect_voices_phases_and_pitches_kept();
    EXPECT_TRUE(effect_buffers_are(0.0f));
    EXPECT_EQ(state.tone_state, 0.0);
    EXPECT_EQ(state.dc_out, 0.0);
    EXPECT_EQ(state.dc_prev, 0.0);
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(message(), INSTRUMENT_NAMES[7]);
    EXPECT_EQ(state.message_until, now + 1100);

    // What it leaves alone.
    for (int row = 0; row < GRID_ROWS; row++) {
        for (int col = 0; col < GRID_COLS; col++) {
            EXPECT_EQ(state.grid[row][col], col == row * 2 ? 1 : 0);
            EXPECT_EQ(state.flash[row][col].load(), 0.75f);
        }
    }
    EXPECT_EQ(state.step.load(), 4);
    EXPECT_EQ(state.step_pos.load(), 1234.5);
    EXPECT_EQ(state.cursor_col, 9);
    EXPECT_EQ(state.cursor_row, 6);
    EXPECT_EQ(state.resting.load(), 1);
    EXPECT_EQ(state.pace.load(), 140);
    EXPECT_EQ(state.bank.load(), 2);
    EXPECT_EQ(state.voice.load(), 1);
    EXPECT_EQ(state.wobble.load(), 2);
    EXPECT_EQ(state.echo.load(), 3);
    EXPECT_EQ(state.space.load(), 1);
    EXPECT_EQ(state.paint, 1);
    EXPECT_EQ(state.preview_count, 2);
    EXPECT_EQ(state.preview_due, 4321);
    EXPECT_EQ(state.dirty, 0) << "entering the grid changes nothing to save";
    expect_effect_positions_and_mixes_kept();
    expect_input_kept();
}

TEST_F(Resets, FreshStartOnTheGridResetsTheSongAndTheClock)
{
    go_to(SCREEN_GRID);
    fresh_start(state, now);

    expect_voices_phases_and_pitches_kept();
    EXPECT_TRUE(effect_buffers_are(0.0f));
    for (int row = 0; row < GRID_ROWS; row++) {
        for (int col = 0; col < GRID_COLS; col++) {
            EXPECT_EQ(state.grid[row][col], 0);
            EXPECT_EQ(state.flash[row][col].load(), 0.0f);
        }
    }
    EXPECT_EQ(state.pace.load(), 108);
    EXPECT_EQ(state.paint, 0);
    EXPECT_EQ(state.cursor_col, 0);
    EXPECT_EQ(state.cursor_row, 0);
    EXPECT_EQ(state.step.load(), 15);
    EXPECT_EQ(state.resting.load(), 0);
    EXPECT_EQ(state.bank.load(), 0);
    EXPECT_EQ(state.voice.load(), 0);
    EXPECT_EQ(state.wobble.load(), 0);
    EXPECT_EQ(state.echo.load(), 0);
    EXPECT_EQ(state.space.load(), 0);
    EXPECT_EQ(state.step_pos.load(), 0.0);
    EXPECT_EQ(state.tone_state, 0.0);
    EXPECT_EQ(state.dc_out, 0.0);
    EXPECT_EQ(state.dc_prev, 0.0);
    EXPECT_EQ(message(), "FRESH START");
    EXPECT_TRUE(save_scheduled());

    // What it leaves alone, off the picker.
    EXPECT_EQ(state.screen.load(), SCREEN_GRID);
    EXPECT_EQ(state.preview_count, 2);
    EXPECT_EQ(state.preview_due, 4321);
    EXPECT_EQ(state.logo_start, 777u);
    expect_effect_positions_and_mixes_kept();
    expect_input_kept();
}

TEST_F(Resets, FreshStartOnThePickerRestartsTheAudition)
{
    fresh_start(state, now);
    EXPECT_EQ(state.screen.load(), SCREEN_PICKER);
    EXPECT_EQ(state.voice.load(), 0);
    EXPECT_EQ(state.preview_count, 0);
    EXPECT_EQ(state.preview_due, now + 80);
    EXPECT_EQ(state.logo_start, 777u);
    expect_input_kept();
}

TEST_F(Resets, FreshStartOnTheGuideKeepsTheGuideAndTheAudition)
{
    go_to(SCREEN_GUIDE);
    fresh_start(state, now);
    EXPECT_EQ(state.screen.load(), SCREEN_GUIDE);
    EXPECT_EQ(state.preview_count, 2);
    EXPECT_EQ(state.preview_due, 4321);
    // The grid's message on the way in is the instrument, not "FRESH START".
    enter_grid(state, now);
    EXPECT_EQ(message(), INSTRUMENT_NAMES[0]);
}
