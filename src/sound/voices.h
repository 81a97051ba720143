// The eight voices, one per grid row: envelopes, oscillators and the nine waveforms.
#pragma once

#include "app/core/app_state.h"
#include "sound/fast_sine.h"
#include "sound/instruments.h"

#include <cmath>

// Pitch of each row in Hz, top row first: C5 A4 G4 E4 D4 C4 A3 G3.
inline constexpr double ROW_PITCH[GRID_ROWS] = {
    523.251, 440.0, 391.995, 329.628, 293.665, 261.626, 220.0, 195.998,
};

// A voice whose gate is closed and whose envelope is at or below this is silent.
constexpr double SILENT_LEVEL = 0.001;

// polyBLEP edge correction at position t (0 <= t < 1) of a cycle advancing by
// dt per sample.  Pure.
double poly_blep(double t, double dt);

// Waveform of instrument c (0..8) at phase p (0 <= p < 1) with increment dt.  Pure.
double voice_wave(int c, double p, double dt);

// Sum of the eight voices for one sample under instrument c (0..8); advances
// their envelopes and phases.  Audio thread.
double render_voices(AppState& state, int c);

// The per-instrument code below is instantiated once per instrument so that
// the sample loop runs with the instrument's constants folded in.  The audio
// callback picks the instantiation once per buffer.
namespace voices_detail {

constexpr double PI = 3.141592653589793;

inline double blep(double t, double dt)
{
    if (t < dt) {
        double x = t / dt;
        return 2.0 * x - x * x - 1.0;
    }
    if (t > 1.0 - dt) {
        double x = (t - 1.0) / dt;
        return x * x + 2.0 * x + 1.0;
    }
    return 0.0;
}

// The k-th harmonic sine, given twice_k = 2k: sin((p * 2k) * pi).
inline double harmonic(double p, double twice_k) { return fast_sine(p * twice_k * PI); }

// -1 at the start and end of the cycle, +1 in the middle.
inline double triangle(double p) { return 1.0 - 4.0 * std::fabs(p - 0.5); }

// +1 before duty, -1 from duty on, with both edges smoothed by polyBLEP.
inline double pulse(double p, double dt, double duty)
{
    double level = p < duty ? 1.0 : -1.0;
    double falling = p - duty;
    if (falling < 0.0) falling += 1.0;
    return level + blep(p, dt) - blep(falling, dt);
}

template <int C>
inline double wave(double p, double dt)
{
    static_assert(C >= 0 && C < INSTRUMENT_COUNT);
    if constexpr (C == 0) {  // SOFT MALLET
        return 0.78 * harmonic(p, 2.0) + 0.15 * harmonic(p, 4.0) + 0.07 * triangle(p);
    } else if constexpr (C == 1) {  // GLASS BELL
        return 0.62 * harmonic(p, 2.0) + 0.25 * harmonic(p, 6.0) + 0.13 * harmonic(p, 10.0);
    } else if constexpr (C == 2) {  // MUTED PLUCK
        return 0.55 * harmonic(p, 2.0) + 0.33 * triangle(p) + 0.12 * harmonic(p, 8.0);
    } else if constexpr (C == 3) {  // ROUND LEAD: square
        return 0.52 * pulse(p, dt, 0.5) + 0.48 * harmonic(p, 2.0);
    } else if constexpr (C == 4) {  // TRI BASS
        return 0.72 * triangle(p) + 0.28 * harmonic(p, 2.0);
    } else if constexpr (C == 5) {  // SPARKLE
        return 0.5 * harmonic(p, 2.0) + 0.19 * harmonic(p, 4.0) + 0.2 * harmonic(p, 8.0) +
               0.11 * harmonic(p, 12.0);
    } else if constexpr (C == 6) {  // VELVET PULSE: duty 0.38
        return 0.38 * pulse(p, dt, 0.38) + 0.62 * harmonic(p, 2.0);
    } else if constexpr (C == 7) {  // HOLLOW KEY
        return 0.74 * harmonic(p, 2.0) - 0.2 * harmonic(p, 4.0) + 0.06 * harmonic(p, 6.0);
    } else {  // METAL CHIME
        return 0.48 * harmonic(p, 2.0) + 0.31 * harmonic(p, 6.0) + 0.21 * harmonic(p, 10.0);
    }
}

// Envelope, waveform and phase of every sounding voice for one sample.
template <int C>
inline double render(AppState& state)
{
    constexpr double attack_step = 1.0 / (ATTACK_TIME[C] * SAMPLE_RATE);
    constexpr double release_mult = RELEASE_MULT[C];
    double sum = 0.0;
    for (int row = 0; row < GRID_ROWS; row++) {
        double env = state.env[row];
        if (state.gate[row]) {
            env = env + attack_step;
            if (env >= state.peak[row]) {
                env = state.peak[row];
                state.gate[row] = 0;
            }
        } else if (env > SILENT_LEVEL) {
            env = env * release_mult;
        } else {
            continue;  // silent: no waveform work, the phase stands still
        }
        state.env[row] = env;

        double dt = ROW_PITCH[row] * state.pitch_mul[row] / SAMPLE_RATE;
        double phase = state.phase[row];
        sum += wave<C>(phase, dt) * env;
        phase += dt;
        if (phase >= 1.0) phase -= 1.0;
        state.phase[row] = phase;
    }
    return sum;
}

}  // namespace voices_detail
