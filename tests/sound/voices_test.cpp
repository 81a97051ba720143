// Voices and waveforms: envelope times, the edge-corrected square, pitches and silent voices.
#include "engine_fixture.h"

#include "sound/fast_sine.h"
#include "sound/instruments.h"
#include "sound/voices.h"

#include <gtest/gtest.h>

#include <cmath>

// Samples from a start at env 0 until the attack closes the gate.
static int attack_samples(AppState& state, int c, int row)
{
    int samples = 0;
    while (state.gate[row] && samples < 100000) {
        render_voices(state, c);
        samples++;
    }
    return samples;
}

// Samples of release until the voice falls silent (0.001 or less).
static int release_samples(AppState& state, int c, int row)
{
    int samples = 0;
    while (state.env[row] > SILENT_LEVEL && samples < 100000) {
        render_voices(state, c);
        samples++;
    }
    return samples;
}

TEST(Envelope, SoftMalletRisesInAbout288SamplesAndFallsIn10624)
{
    AppState state;
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
        AppState state;
        start_voice(state, 3, 1.0, 1.0);
        attack_samples(state, c.instrument, 3);
        EXPECT_EQ(release_samples(state, c.instrument, 3), c.samples) << c.instrument;
    }
}

TEST(Envelope, AHigherPeakTakesProportionallyLonger)
{
    AppState state;
    start_voice(state, 1, 1.27, 1.0);
    int samples = attack_samples(state, 0, 1);
    EXPECT_NEAR(samples, 1.27 * 288, 1.0);
    EXPECT_EQ(state.env[1], 1.27);
}

TEST(Envelope, ALoudVoiceRestartedSofterDropsToTheNewPeak)
{
    AppState state;
    state.env[2] = 0.9;
    start_voice(state, 2, 0.72, 1.0);
    render_voices(state, 0);
    EXPECT_EQ(state.env[2], 0.72);
    EXPECT_EQ(state.gate[2], 0);
    render_voices(state, 0);
    EXPECT_EQ(state.env[2], 0.72 * RELEASE_MULT[0]);
}

TEST(Envelope, ASilentVoiceKeepsItsLevelAndPhaseAndAddsNothing)
{
    AppState state;
    state.env[5] = 0.001;
    state.phase[5] = 0.3;
    state.pitch_mul[5] = 1.0;
    EXPECT_EQ(render_voices(state, 0), 0.0);
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
    AppState state;
    start_voice(state, 0, 1.0, 2.0);
    start_voice(state, 7, 1.0, 1.0);
    render_voices(state, 0);
    EXPECT_EQ(state.phase[0], 1046.502 / SAMPLE_RATE);
    EXPECT_EQ(state.phase[7], 195.998 / SAMPLE_RATE);

    // Over one second the octave-up top row completes 1046 cycles.
    AppState second;
    start_voice(second, 0, 1.0, 2.0);
    int wraps = 0;
    for (int i = 0; i < SAMPLE_RATE; i++) {
        double before = second.phase[0];
        second.gate[0] = 1;  // keep it sounding
        render_voices(second, 0);
        wraps += second.phase[0] < before;
        ASSERT_LT(second.phase[0], 1.0);
    }
    EXPECT_EQ(wraps, 1046);
}

TEST(Waveforms, RoundLeadIsZeroAtPhase0AndOneAtAQuarter)
{
    double dt = ROW_PITCH[0] / SAMPLE_RATE;
    EXPECT_EQ(voice_wave(3, 0.0, dt), 0.0);  // the edge correction cancels the jump
    EXPECT_EQ(voice_wave(3, 0.25, dt), 1.0);
}

TEST(Waveforms, PolyBlepSmoothsBothSidesOfAnEdge)
{
    double dt = 0.01;
    EXPECT_EQ(poly_blep(0.0, dt), -1.0);
    EXPECT_NEAR(poly_blep(0.005, dt), -0.25, 1e-12);
    EXPECT_NEAR(poly_blep(0.995, dt), 0.25, 1e-12);
    EXPECT_EQ(poly_blep(0.5, dt), 0.0);
    EXPECT_EQ(poly_blep(0.01, dt), 0.0);  // t = dt is outside the zone
    EXPECT_EQ(poly_blep(0.99, dt), 0.0);  // so is t = 1 - dt
}

TEST(Waveforms, TheNineRecipesAtDistinctivePhases)
{
    double dt = 0.005;
    // Triangle: -1 at the cycle's ends, +1 in its middle.
    EXPECT_NEAR(voice_wave(4, 0.5, dt), 0.72, 1e-15);     // TRI BASS
    EXPECT_NEAR(voice_wave(4, 0.0, dt), -0.72, 1e-15);
    EXPECT_NEAR(voice_wave(0, 0.25, dt), 0.78, 1e-15);    // SOFT MALLET: S(2) and TRI are 0
    EXPECT_NEAR(voice_wave(2, 0.25, dt), 0.55, 1e-15);    // MUTED PLUCK
    EXPECT_NEAR(voice_wave(1, 0.25, dt), 0.62 - 0.25 + 0.13, 1e-15);  // GLASS BELL
    EXPECT_NEAR(voice_wave(8, 0.25, dt), 0.48 - 0.31 + 0.21, 1e-15);  // METAL CHIME
    EXPECT_NEAR(voice_wave(7, 0.25, dt), 0.74 - 0.06, 1e-15);         // HOLLOW KEY
    EXPECT_NEAR(voice_wave(5, 0.125, dt),
                0.5 * std::sin(M_PI / 4) + 0.19 + 0.11 * std::sin(1.5 * M_PI), 1e-15);  // SPARKLE
    // VELVET PULSE: high until 0.38, low after, smoothed at both edges.
    EXPECT_NEAR(voice_wave(6, 0.2, dt), 0.38 + 0.62 * std::sin(0.4 * M_PI), 1e-15);
    EXPECT_NEAR(voice_wave(6, 0.6, dt), -0.38 + 0.62 * std::sin(1.2 * M_PI), 1e-15);
    EXPECT_NEAR(voice_wave(6, 0.38, dt), 0.62 * std::sin(0.76 * M_PI), 1e-15);  // edge midpoint
}

// The oscillators' sine against the C library's over every harmonic's range.
TEST(Waveforms, TheOscillatorSineAgreesWithSinToTheLastBits)
{
    constexpr double PI = 3.141592653589793;
    double worst = 0.0;
    for (int twice_k = 2; twice_k <= 12; twice_k += 2)
        for (int i = 0; i < 200000; i++) {
            double p = i / 200000.0 + 1.234e-7;
            double x = p * twice_k * PI;
            worst = std::fmax(worst, std::fabs(fast_sine(x) - std::sin(x)));
        }
    EXPECT_LE(worst, 2.3e-16);  // one unit in the last place at 1.0
    EXPECT_EQ(fast_sine(0.0), 0.0);
    EXPECT_EQ(fast_sine(PI / 2), 1.0);
    EXPECT_NEAR(fast_sine(12 * PI * 0.999999), std::sin(12 * PI * 0.999999), 2.3e-16);
}
