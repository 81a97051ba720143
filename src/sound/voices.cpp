// Entry points to the voices for callers that hold the instrument number as a value.
#include "sound/voices.h"

double poly_blep(double t, double dt) { return voices_detail::blep(t, dt); }

double voice_wave(int c, double p, double dt)
{
    using voices_detail::wave;
    switch (c) {
    case 0: return wave<0>(p, dt);
    case 1: return wave<1>(p, dt);
    case 2: return wave<2>(p, dt);
    case 3: return wave<3>(p, dt);
    case 4: return wave<4>(p, dt);
    case 5: return wave<5>(p, dt);
    case 6: return wave<6>(p, dt);
    case 7: return wave<7>(p, dt);
    default: return wave<8>(p, dt);
    }
}

double render_voices(AppState& state, int c)
{
    using voices_detail::render;
    switch (c) {
    case 0: return render<0>(state);
    case 1: return render<1>(state);
    case 2: return render<2>(state);
    case 3: return render<3>(state);
    case 4: return render<4>(state);
    case 5: return render<5>(state);
    case 6: return render<6>(state);
    case 7: return render<7>(state);
    default: return render<8>(state);
    }
}
