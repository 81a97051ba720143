// Silencing the engine, and the test for an engine with nothing left to play.
#include "sound/silence.h"

#include "sound/voices.h"

#include <algorithm>
#include <cmath>

// With the voices silent and every memory at or below this level, the
// feedback (echo at most 0.37, combs at most 0.7) keeps every later value
// within about 25 times it: far below the 3.2e-5 the soft clip needs to
// produce one unit of output.
constexpr double QUIET_LEVEL = 1e-7;

static bool below_quiet_level(const float* values, int count)
{
    for (int i = 0; i < count; i++)
        if (std::fabs(values[i]) > QUIET_LEVEL) return false;
    return true;
}

bool engine_silent(const AppState& state)
{
    for (int row = 0; row < GRID_ROWS; row += LANE_COUNT)
        if (!voices_detail::silent_pair(state, row)) return false;
    return std::fabs(state.tone_state) <= QUIET_LEVEL && std::fabs(state.dc_out) <= QUIET_LEVEL &&
           std::fabs(state.dc_prev) <= QUIET_LEVEL &&
           below_quiet_level(state.delay_line, DELAY_LENGTH) &&
           below_quiet_level(state.comb_a, COMB_A_LENGTH) &&
           below_quiet_level(state.comb_b, COMB_B_LENGTH);
}

void silence_engine(AppState& state)
{
    for (int row = 0; row < GRID_ROWS; row++) {
        state.env[row] = 0.0;
        state.gate[row] = 0;
    }
    std::fill(state.delay_line, state.delay_line + DELAY_LENGTH, 0.0f);
    std::fill(state.comb_a, state.comb_a + COMB_A_LENGTH, 0.0f);
    std::fill(state.comb_b, state.comb_b + COMB_B_LENGTH, 0.0f);
    state.tone_state = 0.0;
    state.dc_out = 0.0;
    state.dc_prev = 0.0;
}
