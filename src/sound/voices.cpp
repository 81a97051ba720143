// Entry points to the voices for callers that hold the instrument number as a value.
#include "sound/voices.h"

double poly_blep(double t, double dt) { return voices_detail::blep(t, dt); }

double voice_wave(int c, double p, double dt)
{
    using voices_detail::wave;
    SineCosine<double> first = sine_cosine_turns(p);
    double s = first.sine, co = first.cosine;
    switch (c) {
    case 0: return wave<0>(p, dt, s, co);
    case 1: return wave<1>(p, dt, s, co);
    case 2: return wave<2>(p, dt, s, co);
    case 3: return wave<3>(p, dt, s, co);
    case 4: return wave<4>(p, dt, s, co);
    case 5: return wave<5>(p, dt, s, co);
    case 6: return wave<6>(p, dt, s, co);
    case 7: return wave<7>(p, dt, s, co);
    default: return wave<8>(p, dt, s, co);
    }
}

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

double render_voices(AppState& state, int c)
{
    using voices_detail::render;
    Oscillators osc;
    tune_oscillators(state, osc);
    sync_oscillators(state, osc);
    switch (c) {
    case 0: return render<0>(state, osc);
    case 1: return render<1>(state, osc);
    case 2: return render<2>(state, osc);
    case 3: return render<3>(state, osc);
    case 4: return render<4>(state, osc);
    case 5: return render<5>(state, osc);
    case 6: return render<6>(state, osc);
    case 7: return render<7>(state, osc);
    default: return render<8>(state, osc);
    }
}
