// The voices' oscillators: tuned to the rows' pitches and synced to their phases.
#include "sound/voices.h"

void tune_oscillators(const AppState& state, Oscillators& osc)
{
    for (int row = 0; row < GRID_ROWS; row++) {
        osc.dt[row] = ROW_PITCH[row] * state.pitch_mul[row] / SAMPLE_RATE;
        SineCosine<double> turn = sine_cosine_turns(osc.dt[row]);
        osc.turn_sine[row] = turn.sine;
        osc.turn_cosine[row] = turn.cosine;
    }
}

void sync_oscillators(const AppState& state, Oscillators& osc)
{
    for (int row = 0; row < GRID_ROWS; row += LANE_COUNT) {
        if (voices_detail::silent_pair(state, row))
            continue;  // only a start makes it sound again, and syncs
        SineCosine<Lanes> pair = sine_cosine_turns(load_lanes(state.phase + row));
        store_lanes(osc.sine + row, pair.sine);
        store_lanes(osc.cosine + row, pair.cosine);
    }
}
