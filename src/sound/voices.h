// The eight voices, one per grid row: envelopes, oscillators and the nine waveforms.
#pragma once

#include "app/core/app_state.h"
#include "sound/fast_sine.h"
#include "sound/instruments.h"
#include "sound/lanes.h"

#include <cstdint>

// Pitch of each row in Hz, top row first: C5 A4 G4 E4 D4 C4 A3 G3.
inline constexpr double ROW_PITCH[GRID_ROWS] = {
    523.251, 440.0, 391.995, 329.628, 293.665, 261.626, 220.0, 195.998,
};

// A voice whose gate is closed and whose envelope is at or below this is silent.
constexpr double SILENT_LEVEL = 0.001;

// The voices' oscillators during one buffer: each voice's sine and cosine
// of 2 pi phase, turned on by its step every sample rather than worked out
// anew.  The turning gathers rounding error, about 3e-16 a sample, so
// sync_oscillators works the pair out from the phase again every
// OSCILLATOR_SYNC_FRAMES samples: S(1) then stays within 6e-15 and S(6)
// within 6e-14 of the exact value.  Local to the audio callback.
struct Oscillators {
    double sine[GRID_ROWS] = {};       // sin(2 pi phase)
    double cosine[GRID_ROWS] = {};     // cos(2 pi phase)
    double dt[GRID_ROWS] = {};         // phase increment per sample, ROW_PITCH x pitch_mul / 48000
    double turn_sine[GRID_ROWS] = {};  // sin(2 pi dt)
    double turn_cosine[GRID_ROWS] = {};  // cos(2 pi dt)
};

constexpr int OSCILLATOR_SYNC_FRAMES = 16;

// The increments and turns from pitch_mul: when a buffer begins and whenever
// a voice has been started.  Then sync_oscillators.
void tune_oscillators(const AppState& state, Oscillators& oscillators);
// Sine and cosine from the phases.
void sync_oscillators(const AppState& state, Oscillators& oscillators);

// The per-instrument code below is instantiated once per instrument so that
// the sample loop runs with the instrument's constants folded in; the audio
// callback picks the instantiation once per buffer (with_instrument).  The
// sample loop works two voices side by side (Lanes); each lane rounds as a
// lone double would.
namespace voices_detail {

template <typename Num>
inline Num blep(Num t, Num dt)
{
    Num x = t / dt;
    Num before = 2.0 * x - x * x - 1.0;
    Num y = (t - 1.0) / dt;
    Num after = y * y + 2.0 * y + 1.0;
    return pick(t < dt, before, pick(t > 1.0 - dt, after, Num{}));
}

// -1 at the start and end of the cycle, +1 in the middle.
template <typename Num>
inline Num triangle(Num p)
{
    return 1.0 - 4.0 * magnitude(p - 0.5);
}

// +1 before duty, -1 from duty on, with both edges smoothed by polyBLEP.
template <typename Num>
inline Num pulse(Num p, Num dt, double duty)
{
    auto high = p < duty;  // also where p - duty is negative and wraps
    Num level = only(high, Num{} + 2.0) - 1.0;
    Num falling = (p - duty) + only(high, Num{} + 1.0);
    // Mostly both corrections are 0: a position t has none while |t - 0.5|
    // stays below 0.5 - dt, less a margin for the roundings of t - 0.5 and
    // 1 - dt (each under 6e-17).
    constexpr double MARGIN = 1e-15;
    Num reach = larger(magnitude(p - 0.5), magnitude(falling - 0.5));
    if (!any(reach >= (0.5 - dt) - MARGIN)) return level;
    return level + blep(p, dt) - blep(falling, dt);
}

// S(1) to S(6), the harmonic sines sin(2 pi k p), from the sine and cosine of
// the phase by the Chebyshev recurrence S(k+1) = 2 cos(2 pi p) S(k) - S(k-1).
// From an exact pair each stays within 3e-15 of the exact value (S(6) at
// worst).  A recipe's unused harmonics cost nothing: the compiler drops them.
template <typename Num>
struct Harmonics {
    Num s[7];  // s[k] is S(k); s[0] is 0
    Harmonics(Num sine, Num cosine)
    {
        Num twice_cos = 2.0 * cosine;
        s[0] = Num{};
        s[1] = sine;
        for (int k = 1; k < 6; k++) s[k + 1] = twice_cos * s[k] - s[k - 1];
    }
    Num operator()(int k) const { return s[k]; }
};

// Waveform of instrument C at phase p with increment dt, given sine and
// cosine of 2 pi p.
template <int C, typename Num>
inline Num wave(Num p, Num dt, Num sine, Num cosine)
{
    static_assert(C >= 0 && C < INSTRUMENT_COUNT);
    Harmonics<Num> S(sine, cosine);
    if constexpr (C == 0) {  // SOFT MALLET
        return 0.78 * S(1) + 0.15 * S(2) + 0.07 * triangle(p);
    } else if constexpr (C == 1) {  // GLASS BELL
        return 0.62 * S(1) + 0.25 * S(3) + 0.13 * S(5);
    } else if constexpr (C == 2) {  // MUTED PLUCK
        return 0.55 * S(1) + 0.33 * triangle(p) + 0.12 * S(4);
    } else if constexpr (C == 3) {  // ROUND LEAD: square
        return 0.52 * pulse(p, dt, 0.5) + 0.48 * S(1);
    } else if constexpr (C == 4) {  // TRI BASS
        return 0.72 * triangle(p) + 0.28 * S(1);
    } else if constexpr (C == 5) {  // SPARKLE
        return 0.5 * S(1) + 0.19 * S(2) + 0.2 * S(4) + 0.11 * S(6);
    } else if constexpr (C == 6) {  // VELVET PULSE: duty 0.38
        return 0.38 * pulse(p, dt, 0.38) + 0.62 * S(1);
    } else if constexpr (C == 7) {  // HOLLOW KEY
        return 0.74 * S(1) - 0.2 * S(2) + 0.06 * S(3);
    } else {  // METAL CHIME
        return 0.48 * S(1) + 0.31 * S(3) + 0.21 * S(5);
    }
}

// Envelope of one voice for one sample: all ones if it sounds, 0 if silent.
template <int C>
inline int64_t envelope(AppState& state, int row)
{
    constexpr double attack_step = 1.0 / (ATTACK_TIME[C] * SAMPLE_RATE);
    double env = state.env[row];
    if (state.gate[row]) {
        env = env + attack_step;
        if (env >= state.peak[row]) {
            env = state.peak[row];
            state.gate[row] = 0;
        }
    } else if (env > SILENT_LEVEL) {
        env = env * RELEASE_MULT[C];
    } else {
        return 0;  // silent: no waveform work, the phase stands still
    }
    state.env[row] = env;
    return -1;
}

// Envelopes of rows row and row + 1.  Mostly both are releasing or silent,
// which the two rows go through side by side: a silent row's level is
// multiplied by exactly 1.
template <int C>
inline LaneMask envelopes(AppState& state, int row)
{
    if (state.gate[row] | state.gate[row + 1])
        return LaneMask{envelope<C>(state, row), envelope<C>(state, row + 1)};
    constexpr double RELEASE_LESS_1 = RELEASE_MULT[C] - 1.0;
    static_assert(1.0 + RELEASE_LESS_1 == RELEASE_MULT[C]);
    Lanes env = load_lanes(state.env + row);
    LaneMask releasing = env > SILENT_LEVEL;
    store_lanes(state.env + row, env * (1.0 + only(releasing, Lanes{} + RELEASE_LESS_1)));
    return releasing;
}

// Whether rows row and row + 1 are both silent: no gate open, no level above SILENT_LEVEL.
inline bool silent_pair(const AppState& state, int row)
{
    return (state.gate[row] | state.gate[row + 1]) == 0 &&
           !any(load_lanes(state.env + row) > SILENT_LEVEL);
}

// One sample of every voice under instrument C, two rows at a time: first
// the envelopes; then, where either row sounds, the waveforms at the phases
// before this sample's advance times the envelopes after this sample's
// update, the phases' advance and the oscillators' turn; then the sum in row
// order, the silent rows adding exactly 0.
template <int C>
inline double render(AppState& state, Oscillators& osc)
{
    constexpr int PAIRS = GRID_ROWS / LANE_COUNT;
    LaneMask sounds[PAIRS];
    LaneMask any_sounds = sounds[0] = envelopes<C>(state, 0);
    for (int pair = 1; pair < PAIRS; pair++) {
        sounds[pair] = envelopes<C>(state, pair * LANE_COUNT);
        any_sounds |= sounds[pair];
    }
    if (!any(any_sounds)) return 0.0;  // all silent: no waveform work at all

    double part[GRID_ROWS];
    for (int pair = 0; pair < PAIRS; pair++) {
        int row = pair * LANE_COUNT;
        if (!any(sounds[pair])) {
            part[row] = part[row + 1] = 0.0;
            continue;
        }
        Lanes phase = load_lanes(state.phase + row);
        Lanes dt = load_lanes(osc.dt + row);
        Lanes sine = load_lanes(osc.sine + row);
        Lanes cosine = load_lanes(osc.cosine + row);
        Lanes voice = wave<C>(phase, dt, sine, cosine) * load_lanes(state.env + row);
        store_lanes(part + row, only(sounds[pair], voice));

        // A silent voice advances by 0, which leaves its phase as it is.
        Lanes next = phase + only(sounds[pair], dt);
        store_lanes(state.phase + row, next - only(next >= 1.0, Lanes{} + 1.0));
        Lanes turn_sine = load_lanes(osc.turn_sine + row);
        Lanes turn_cosine = load_lanes(osc.turn_cosine + row);
        store_lanes(osc.sine + row, sine * turn_cosine + cosine * turn_sine);
        store_lanes(osc.cosine + row, cosine * turn_cosine - sine * turn_sine);
    }
    // Row 0's part to start with rather than 0 + part: the same sum but for
    // the sign of a zero, which the tone filter does not see.
    double sum = part[0];
    for (int row = 1; row < GRID_ROWS; row++) sum += part[row];
    return sum;
}

}  // namespace voices_detail
