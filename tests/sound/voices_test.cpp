// Voices and waveforms: envelope times, the edge-corrected square, pitches and silent voices.
#include "engine_fixture.h"

#include "sound/fast_sine.h"
#include "sound/instruments.h"
#include "sound/lanes.h"
#include "sound/voices.h"

#include <gtest/gtest.h>

#include <cmath>

// The voices are heard through the audio callback, a frame at a time, off
// the grid (so the clock stands still): what the sample loop plays.
static void play_frame(AppState& state) { render(state, 1, 1); }

// Samples under instrument c from a start at env 0 until the attack closes the gate.
static int attack_samples(AppState& state, int c, int row)
{
    set_instrument(state, c);
    int samples = 0;
    while (state.gate[row] && samples < 100000) {
        play_frame(state);
        samples++;
    }
    return samples;
}

// Samples of release under instrument c until the voice falls silent (0.001 or less).
static int release_samples(AppState& state, int c, int row)
{
    set_instrument(state, c);
    int samples = 0;
    while (state.env[row] > SILENT_LEVEL && samples < 100000) {
        play_frame(state);
        samples++;
    }
    return samples;
}

// Instrument C's waveform at phase p with increment dt as the sample loop
// works it out, two voices side by side; both lanes must agree.
template <int C>
static double wave_at(double p, double dt)
{
    Lanes phase{p, p};
    SineCosine<Lanes> turns = sine_cosine_turns(phase);
    Lanes wave = voices_detail::wave<C>(phase, Lanes{dt, dt}, turns.sine, turns.cosine);
    EXPECT_EQ(wave[0], wave[1]) << C << " " << p;
    return wave[0];
}

// The pulses' edge correction at position t, as the sample loop works it out.
static double blep_at(double t, double dt)
{
    return voices_detail::blep(Lanes{t, t}, Lanes{dt, dt})[0];
}

TEST(Envelope, SoftMalletRisesInAbout288SamplesAndFallsIn10624)
{
    Engine engine;
    AppState& state = engine.state;
    start_voice(state, 0, 1.0, 1.0);
    // 288 steps of 1/288 end a hair below 1.0, so the peak is reached on the 289th: 6 ms.
    EXPECT_EQ(attack_samples(state, 0, 0), 289);
    EXPECT_EQ(state.env[0], 1.0);
    EXPECT_EQ(release_samples(state, 0, 0), 10624);  // 221 ms
}

TEST(Envelope, ReleaseLengthFollowsTheInstrument)
{
    struct Case {
        int instrument;
        int samples;
    };
    for (Case c : {Case{8, 21584}, Case{4, 6393}}) {  // METAL CHIME 450 ms, TRI BASS 133 ms
        Engine engine;
        AppState& state = engine.state;
        start_voice(state, 3, 1.0, 1.0);
        attack_samples(state, c.instrument, 3);
        EXPECT_EQ(release_samples(state, c.instrument, 3), c.samples) << c.instrument;
    }
}

TEST(Envelope, AHigherPeakTakesProportionallyLonger)
{
    Engine engine;
    AppState& state = engine.state;
    start_voice(state, 1, 1.27, 1.0);
    int samples = attack_samples(state, 0, 1);
    EXPECT_NEAR(samples, 1.27 * 288, 1.0);
    EXPECT_EQ(state.env[1], 1.27);
}

TEST(Envelope, ALoudVoiceRestartedSofterDropsToTheNewPeak)
{
    Engine engine;
    AppState& state = engine.state;
    state.env[2] = 0.9;
    start_voice(state, 2, 0.72, 1.0);
    play_frame(state);
    EXPECT_EQ(state.env[2], 0.72);
    EXPECT_EQ(state.gate[2], 0);
    play_frame(state);
    EXPECT_EQ(state.env[2], 0.72 * RELEASE_MULT[0]);
}

TEST(Envelope, ASilentVoiceKeepsItsLevelAndPhaseAndAddsNothing)
{
    Engine engine;
    AppState& state = engine.state;
    state.env[5] = 0.001;
    state.phase[5] = 0.3;
    state.pitch_mul[5] = 1.0;
    EXPECT_EQ(render(state, 1, 1), (Samples{0, 0}));
    EXPECT_EQ(state.env[5], 0.001);
    EXPECT_EQ(state.phase[5], 0.3);
    start_voice(state, 5, 1.0, 1.0);  // below 0.05: the new note starts at phase 0
    EXPECT_EQ(state.phase[5], 0.0);
}

TEST(Envelope, ChangingTheInstrumentChangesTheReleaseOfRingingNotes)
{
    Engine engine;
    AppState& state = engine.state;
    start_voice(state, 0, 1.0, 1.0);
    render(state, 512);  // SOFT MALLET: past its attack
    double level = state.env[0];
    set_instrument(state, 8);
    render(state, 512);
    EXPECT_NEAR(state.env[0], level * std::pow(RELEASE_MULT[8], 512), 1e-12);
}

TEST(Oscillator, RowPitchesAndTheOctaveJump)
{
    Engine engine;
    AppState& state = engine.state;
    start_voice(state, 0, 1.0, 2.0);
    start_voice(state, 7, 1.0, 1.0);
    play_frame(state);
    EXPECT_EQ(state.phase[0], 1046.502 / SAMPLE_RATE);
    EXPECT_EQ(state.phase[7], 195.998 / SAMPLE_RATE);

    // Over one second the octave-up top row completes 1046 cycles.
    Engine other;
    AppState& second = other.state;
    start_voice(second, 0, 1.0, 2.0);
    int wraps = 0;
    for (int i = 0; i < SAMPLE_RATE; i++) {
        double before = second.phase[0];
        second.gate[0] = 1;  // keep it sounding
        play_frame(second);
        wraps += second.phase[0] < before;
        ASSERT_LT(second.phase[0], 1.0);
    }
    EXPECT_EQ(wraps, 1046);
}

TEST(Waveforms, RoundLeadIsZeroAtPhase0AndOneAtAQuarter)
{
    double dt = ROW_PITCH[0] / SAMPLE_RATE;
    EXPECT_EQ(wave_at<3>(0.0, dt), 0.0);  // the edge correction cancels the jump
    EXPECT_EQ(wave_at<3>(0.25, dt), 1.0);
}

TEST(Waveforms, PolyBlepSmoothsBothSidesOfAnEdge)
{
    double dt = 0.01;
    EXPECT_EQ(blep_at(0.0, dt), -1.0);
    EXPECT_NEAR(blep_at(0.005, dt), -0.25, 1e-12);
    EXPECT_NEAR(blep_at(0.995, dt), 0.25, 1e-12);
    EXPECT_EQ(blep_at(0.5, dt), 0.0);
    EXPECT_EQ(blep_at(0.01, dt), 0.0);  // t = dt is outside the zone
    EXPECT_EQ(blep_at(0.99, dt), 0.0);  // so is t = 1 - dt
}

TEST(Waveforms, TheNineRecipesAtDistinctivePhases)
{
    double dt = 0.005;
    // Triangle: -1 at the cycle's ends, +1 in its middle.
    EXPECT_NEAR(wave_at<4>(0.5, dt), 0.72, 1e-15);  // TRI BASS
    EXPECT_NEAR(wave_at<4>(0.0, dt), -0.72, 1e-15);
    EXPECT_NEAR(wave_at<0>(0.25, dt), 0.78, 1e-15);  // SOFT MALLET: S(2) and TRI are 0
    EXPECT_NEAR(wave_at<2>(0.25, dt), 0.55, 1e-15);  // MUTED PLUCK
    EXPECT_NEAR(wave_at<1>(0.25, dt), 0.62 - 0.25 + 0.13, 1e-15);  // GLASS BELL
    EXPECT_NEAR(wave_at<8>(0.25, dt), 0.48 - 0.31 + 0.21, 1e-15);  // METAL CHIME
    EXPECT_NEAR(wave_at<7>(0.25, dt), 0.74 - 0.06, 1e-15);         // HOLLOW KEY
    EXPECT_NEAR(wave_at<5>(0.125, dt),
                0.5 * std::sin(M_PI / 4) + 0.19 + 0.11 * std::sin(1.5 * M_PI), 1e-15);  // SPARKLE
    // VELVET PULSE: high until 0.38, low after, smoothed at both edges.
    EXPECT_NEAR(wave_at<6>(0.2, dt), 0.38 + 0.62 * std::sin(0.4 * M_PI), 1e-15);
    EXPECT_NEAR(wave_at<6>(0.6, dt), -0.38 + 0.62 * std::sin(1.2 * M_PI), 1e-15);
    EXPECT_NEAR(wave_at<6>(0.38, dt), 0.62 * std::sin(0.76 * M_PI), 1e-15);  // edge midpoint
}

// The oscillators' sine and cosine against the exact values over the cycle,
// lone and two at a time.
TEST(Oscillator, SineAndCosineOfThePhaseAreWithinOneUnitInTheLastPlace)
{
    constexpr long double TWO_PI = 6.283185307179586476925286766559L;
    double worst = 0.0;
    for (int i = 0; i < 1000000; i++) {
        double p = i / 1000000.0 + 3.1e-8 * (i % 7);  // off the table's points too
        SineCosine<double> pair = sine_cosine_turns(p);
        worst = std::fmax(worst, std::fabs(static_cast<double>(pair.sine - sinl(TWO_PI * p))));
        worst = std::fmax(worst, std::fabs(static_cast<double>(pair.cosine - cosl(TWO_PI * p))));
        SineCosine<Lanes> lanes = sine_cosine_turns(Lanes{p, 1.0 - p / 2});
        ASSERT_EQ(lanes.sine[0], pair.sine) << p;  // a lane rounds as a lone double
        ASSERT_EQ(lanes.cosine[1], sine_cosine_turns(1.0 - p / 2).cosine) << p;
    }
    EXPECT_LE(worst, 1.2e-16);
    EXPECT_EQ(sine_cosine_turns(0.0).sine, 0.0);
    EXPECT_EQ(sine_cosine_turns(0.25).sine, 1.0);
    EXPECT_EQ(sine_cosine_turns(0.5).cosine, -1.0);
}

// 20 s of the rows ringing at both pitches, through the sample loop's
// oscillators (turned every sample, synced every OSCILLATOR_SYNC_FRAMES):
// each voice's S(1), S(2), S(4) and S(6) (SPARKLE's recipe, alone in turn)
// stay within their bounds of the exact harmonics of the voice's phase.
TEST(Oscillator, TurnedHarmonicsStayWithinTheirBoundsOverALongRun)
{
    constexpr long double TWO_PI = 6.283185307179586476925286766559L;
    constexpr int SAMPLES = 20 * SAMPLE_RATE / 8;  // 20 s, shared by the eight rows
    double worst[4] = {};
    const int harmonic[4] = {1, 2, 4, 6};
    const double weight[4] = {0.5, 0.19, 0.2, 0.11};
    for (int row = 0; row < GRID_ROWS; row++) {
        AppState state;
        state.pitch_mul[row] = row % 2 ? 2.0 : 1.0;  // alternating octaves
        state.phase[row] = 0.37;
        Oscillators osc;
        tune_oscillators(state, osc);
        for (int i = 0; i < SAMPLES; i++) {
            state.env[row] = 1.0;  // keep it ringing
            if (i % OSCILLATOR_SYNC_FRAMES == 0) sync_oscillators(state, osc);
            double phase = state.phase[row];
            // One harmonic alone, weighted as in the recipe: the sum is that term.
            voices_detail::Harmonics<double> s(osc.sine[row], osc.cosine[row]);
            for (int h = 0; h < 4; h++) {
                long double exact = sinl(TWO_PI * harmonic[h] * phase);
                worst[h] =
                    std::fmax(worst[h], std::fabs(static_cast<double>(s(harmonic[h]) - exact)));
            }
            double sum = voices_detail::render<5>(state, osc);
            long double recipe = 0;
            for (int h = 0; h < 4; h++) recipe += weight[h] * sinl(TWO_PI * harmonic[h] * phase);
            ASSERT_NEAR(sum, static_cast<double>(recipe * RELEASE_MULT[5]), 3e-14)
                << row << " " << i;
        }
    }
    EXPECT_LE(worst[0], 6e-15);    // S(1)
    EXPECT_LE(worst[1], 1.2e-14);  // S(2)
    EXPECT_LE(worst[2], 3e-14);    // S(4)
    EXPECT_LE(worst[3], 6e-14);    // S(6)
}
