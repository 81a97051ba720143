// Effects: echo time and feedback, the space combs and their stereo spread, the level glide, the
// limiter.
#include "engine_fixture.h"

#include "sound/fast_tanh.h"
#include "sound/instruments.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Frames = std::vector<StereoSample>;

// One sample of the effect chain as the sample loop runs it, under instrument 0.
static StereoSample effects_sample(AppState& state, double sum)
{
    static EchoTime known;  // worked out afresh whenever pace or echo differ
    return effects_detail::chain<0>(state, sum, known);
}

// The soft clip of one channel.
static int16_t soft_clip(double value) { return soft_clip(value, value).left; }

// An impulse of 1.0 in the voice sum, then silence, through instrument 0.
static Frames impulse_response(AppState& state, int samples)
{
    Frames out;
    for (int i = 0; i < samples; i++) out.push_back(effects_sample(state, i == 0 ? 1.0 : 0.0));
    return out;
}

// The first dry sample of that impulse: through SOFT MALLET's tone filter and gain.
constexpr double IMPULSE_DRY = 0.42 * 0.84;

// The output of a signal at the mix stage, below the limiter's threshold.
static int16_t out_of(double mixed) { return soft_clip(mixed * 0.92 * 2.4); }

TEST(Echo, TimeFollowsPaceInTwoThreeOrSixSteps)
{
    EXPECT_EQ(echo_delay(108, 1), 13333);
    EXPECT_EQ(echo_delay(108, 2), 20000);
    EXPECT_EQ(echo_delay(108, 3), 40000);
    EXPECT_EQ(echo_delay(108, 0), 40000);  // level 0 keeps the time of level 3
    EXPECT_EQ(echo_delay(180, 1), 8000);
    EXPECT_EQ(echo_delay(60, 3), 72000);  // the longest, well inside the line
}

TEST(Echo, Level1At108ReturnsAfter13333SamplesAt0Point12ThenTimes0Point17)
{
    Engine engine;
    AppState& state = engine.state;
    state.echo.store(1);
    state.echo_mix = ECHO_SEND[1];  // the glide has settled
    Frames out = impulse_response(state, 26667);
    for (int i = 1000; i < 13333; i++) ASSERT_EQ(out[i].left, 0) << i;

    float first_return = static_cast<float>(IMPULSE_DRY) * 0.12f;
    EXPECT_EQ(out[13333].left, out_of(first_return));
    EXPECT_EQ(out[13333].right, out[13333].left);
    EXPECT_GT(out[13333].left, 2800);
    for (int i = 14333; i < 26666; i++) ASSERT_EQ(out[i].left, 0) << i;

    float second_return = static_cast<float>(IMPULSE_DRY) * 0.17f * 0.12f;
    EXPECT_EQ(out[26666].left, out_of(second_return));
    EXPECT_GT(out[26666].left, 400);
}

TEST(Echo, ReturnLevelsGlideHalfWayIn770Samples)
{
    Engine engine;
    AppState& state = engine.state;
    state.echo.store(1);
    state.space.store(2);
    int echo_half = 0, space_half = 0;
    for (int i = 1; i <= 2000; i++) {
        effects_sample(state, 0.0);
        if (!echo_half && state.echo_mix >= 0.06f) echo_half = i;
        if (!space_half && state.space_mix >= 0.07f) space_half = i;
    }
    EXPECT_NEAR(echo_half, 770, 1);
    EXPECT_NEAR(space_half, 770, 1);
}

TEST(Echo, TurningLevel3To0StopsTheFeedbackAtOnceAndFadesTheReturn)
{
    Engine engine;
    AppState& state = engine.state;
    state.echo.store(3);
    state.echo_mix = ECHO_SEND[3];
    Frames out = impulse_response(state, 39990);
    state.echo.store(0);
    for (int i = 39990; i <= 80000; i++) out.push_back(effects_sample(state, 0.0));

    // The tap stays at 40000 samples; the return level has glided 11 samples toward 0.
    float level = ECHO_SEND[3];
    for (int i = 0; i < 11; i++) level = level + 9e-4f * (0.0f - level);
    EXPECT_EQ(out[40000].left, out_of(static_cast<float>(IMPULSE_DRY) * level));
    EXPECT_GT(out[40000].left, 6000);
    EXPECT_EQ(out[80000].left, 0);  // nothing was fed back at 40000
    EXPECT_LT(state.echo_mix, 1e-15f);
}

TEST(Space, Level0CombsRunButAreNotHeard)
{
    Engine engine;
    AppState& state = engine.state;
    Frames out = impulse_response(state, 4218);
    EXPECT_EQ(state.space_mix, 0.0f);
    EXPECT_EQ(state.echo_mix, 0.0f);
    for (const StereoSample& frame : out) ASSERT_EQ(frame.left, frame.right);
    // Comb B went round once with its feedback of 0 - 0.035.
    float space_in = static_cast<float>(IMPULSE_DRY);
    EXPECT_EQ(state.comb_b[0], space_in * -0.035f);
}

TEST(Space, TurnedTo0ItFadesUntilBothChannelsMatch)
{
    Engine engine;
    AppState& state = engine.state;
    state.space.store(3);
    for (int i = 0; i < 20000; i++) effects_sample(state, std::sin(i * 0.05) * 0.3);
    state.space.store(0);
    for (int i = 0; i < 100000; i++) effects_sample(state, std::sin(i * 0.05) * 0.3);
    for (int i = 0; i < 10000; i++) {
        StereoSample frame = effects_sample(state, std::sin(i * 0.05) * 0.3);
        ASSERT_EQ(frame.left, frame.right) << i;
    }
}

TEST(Space, LeftCarriesMostlyCombAAndRightMostlyCombB)
{
    Engine engine;
    AppState& state = engine.state;
    state.space.store(3);
    state.space_mix = SPACE_SEND[3];
    Frames out = impulse_response(state, 4218);
    float space_in = static_cast<float>(IMPULSE_DRY);
    // Comb A (3557 samples) returns first, 0.7 of it on the left, 0.3 on the right.
    EXPECT_EQ(out[3557].left, out_of((0.7f * space_in + 0.3f * 0.0f) * 0.21f));
    EXPECT_EQ(out[3557].right, out_of((0.3f * space_in + 0.7f * 0.0f) * 0.21f));
    EXPECT_GT(out[3557].left, 2 * out[3557].right);
    EXPECT_GT(out[3557].right, 1000);
    // Comb B (4217 samples) the other way round.
    EXPECT_GT(out[4217].right, 2 * out[4217].left);
    EXPECT_GT(out[4217].left, 1000);
}

TEST(DryPath, BothChannelsCarryTheFilteredSumWithNoEffects)
{
    Engine engine;
    AppState& state = engine.state;
    StereoSample first = effects_sample(state, 0.5);
    EXPECT_EQ(first.left, out_of(0.5 * 0.42 * 0.84));
    EXPECT_EQ(first.right, first.left);
    // The DC blocker takes a constant input back to silence.
    StereoSample last{};
    for (int i = 0; i < SAMPLE_RATE; i++) last = effects_sample(state, 0.5);
    EXPECT_EQ(last.left, 0);
    EXPECT_EQ(last.right, 0);
}

TEST(Limiter, ANewPeakAbove1Point3ComesOutAtExactly1Point3)
{
    limiter_env = 0.0;
    double left = 3.0, right = -1.5;
    limit_stereo(left, right);
    EXPECT_EQ(left, 1.3);
    EXPECT_DOUBLE_EQ(right, -0.65);
    EXPECT_EQ(limiter_env, 3.0);
    StereoSample clipped = soft_clip(left, right);
    EXPECT_EQ(clipped.left, 26541);
    EXPECT_EQ(clipped.right, static_cast<int16_t>(std::tanh(-0.65) * 0.94 * 32767));

    // Quieter samples are turned down while the envelope decays: half in 6931 samples.
    for (int i = 0; i < 6931; i++) {
        double l = 0.0, r = 0.0;
        limit_stereo(l, r);
    }
    EXPECT_NEAR(limiter_env, 1.5, 1e-3);
    double quiet = 1.0, other = 0.0;
    limit_stereo(quiet, other);
    EXPECT_NEAR(quiet, 1.3 / 1.5, 1e-3);
    limiter_env = 0.0;
}

TEST(Limiter, ItsEnvelopeOutlivesAFreshEngine)
{
    Engine loud;
    for (int i = 0; i < 100; i++) effects_sample(loud.state, 50.0);
    ASSERT_GT(limiter_env, 1.3);

    AppState fresh;  // as after FRESH START: the envelope is not part of it
    ASSERT_TRUE(allocate_buffers(fresh));
    int16_t turned_down = effects_sample(fresh, 4.0).left;
    free_buffers(fresh);
    Engine clean;  // envelope back at 0
    int16_t full = effects_sample(clean.state, 4.0).left;
    EXPECT_LT(turned_down, full - 1000);
}

// The soft clip's tanh against the exact value and the C library's over all
// the limiter lets through (and a little more), densely, with zero, tiny and
// out-of-range inputs.
TEST(SoftClip, TheShortTanhAgreesWithTheCLibraryOnTheWholeRange)
{
    double worst = 0.0, worst_relative = 0.0, worst_to_library = 0.0;
    for (int i = -2000000; i <= 2000000; i++) {
        double x = i * (FAST_TANH_REACH / 2000000) + (i % 2 ? 1.7e-9 : 0.0);
        if (std::fabs(x) > FAST_TANH_REACH) continue;
        long double exact = tanhl(x);
        double error = std::fabs(static_cast<double>(fast_tanh(x) - exact));
        worst = std::fmax(worst, error);
        if (x != 0.0)
            worst_relative =
                std::fmax(worst_relative, error / std::fabs(static_cast<double>(exact)));
        worst_to_library = std::fmax(worst_to_library, std::fabs(fast_tanh(x) - std::tanh(x)));
        Lanes pair = fast_tanh(Lanes{x, -x / 3});  // both channels at once, as each alone
        ASSERT_EQ(pair[0], fast_tanh(x)) << x;
        ASSERT_EQ(pair[1], fast_tanh(-x / 3)) << x;
    }
    EXPECT_LE(worst, 2.3e-16);
    EXPECT_LE(worst_relative, 5e-16);
    EXPECT_LE(worst_to_library, 4.5e-16);
    for (double x : {0.0, 1e-300, -3e-9, 1e-7, 0.03125, 1.3 / 0.9999, -FAST_TANH_REACH, 1.4, -20.0})
        EXPECT_NEAR(fast_tanh(x), std::tanh(x), 2.3e-16 * std::fabs(std::tanh(x))) << x;
    for (Lanes mixed : {Lanes{1e-10, 0.7}, Lanes{0.3, 2.0},
                        Lanes{-1e-30, -1.2}}) {  // tiny or outside beside usual
        Lanes pair = fast_tanh(mixed);
        EXPECT_EQ(pair[0], fast_tanh(mixed[0]));
        EXPECT_EQ(pair[1], fast_tanh(mixed[1]));
    }
    EXPECT_TRUE(std::signbit(fast_tanh(-0.0)));
    EXPECT_TRUE(std::isnan(fast_tanh(NAN)));
}

TEST(OutputBound, NoSampleExceeds26542UnderAnyInstrumentWithEveryCellLit)
{
    EXPECT_EQ(soft_clip(1.3 / 0.9999), OUTPUT_PEAK);  // the most a limited sample can be
    EXPECT_EQ(soft_clip(-1.3 / 0.9999), -OUTPUT_PEAK);
    for (int instrument = 0; instrument < INSTRUMENT_COUNT; instrument++) {
        Engine engine;
        AppState& state = engine.state;
        light_all(state);
        set_instrument(state, instrument);
        state.pace.store(180);
        state.wobble.store(2);
        state.echo.store(3);
        state.space.store(3);
        state.screen.store(SCREEN_GRID);
        Samples out = render(state, 60000);
        int peak = peak_magnitude(out);
        EXPECT_LE(peak, OUTPUT_PEAK) << INSTRUMENT_NAMES[instrument];
        EXPECT_GT(peak, 20000) << INSTRUMENT_NAMES[instrument];  // the limiter was at work
    }
}
