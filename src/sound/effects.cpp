// The effect chain, one sample at a time: tone and gain, DC blocker, echo,
// space, level glide, limiter and soft clip.
#include "sound/effects.h"

#include "app/core/tempo.h"
#include "sound/instruments.h"

#include <cmath>

double limiter_env = 0.0;

constexpr double DC_BLOCK = 0.9844;
constexpr float GLIDE_RATE = 9e-4f;   // of the remaining distance, per sample
constexpr float SPREAD_NEAR = 0.7f;   // a comb's share of its own side
constexpr float SPREAD_FAR = 0.3f;    // and of the other side
constexpr double MIX_GAIN = 0.92;
constexpr double OUTPUT_DRIVE = 2.4;  // applied after MIX_GAIN
constexpr double OUTPUT_SCALE = 0.94;
constexpr double FULL_SCALE = 32767.0;

int32_t echo_delay(int32_t pace, int32_t echo)
{
    double beat = static_cast<double>(SAMPLES_PER_MINUTE) / static_cast<double>(pace);
    double samples = beat * ECHO_TIME_FACTOR[echo];
    int32_t delay = static_cast<int32_t>(samples);
    return delay < ECHO_TIME_CAP ? delay : ECHO_TIME_CAP;
}

void limit_stereo(double& left, double& right)
{
    double left_magnitude = std::fabs(left);
    double right_magnitude = std::fabs(right);
    double magnitude = left_magnitude > right_magnitude ? left_magnitude : right_magnitude;
    if (magnitude > limiter_env) {
        limiter_env = magnitude;
    } else {
        limiter_env = limiter_env * LIMITER_RELEASE;
    }
    if (limiter_env > LIMITER_THRESHOLD) {
        double reduction = LIMITER_THRESHOLD / limiter_env;
        left = left * reduction;
        right = right * reduction;
    }
}

int16_t soft_clip(double value)
{
    return static_cast<int16_t>(std::tanh(value) * OUTPUT_SCALE * FULL_SCALE);
}

StereoSample effects_sample(AppState& state, double sum, int c)
{
    // Tone filter, gain and DC blocker, in double.
    state.tone_state = state.tone_state + TONE_COEF[c] * (sum - state.tone_state);
    double toned = state.tone_state * OUT_GAIN[c];
    double dry = DC_BLOCK * state.dc_out + (toned - state.dc_prev);
    state.dc_prev = toned;
    state.dc_out = dry;

    // Return levels glide toward the player's choice.
    int32_t echo = state.echo.load();
    int32_t space = state.space.load();
    state.echo_mix = state.echo_mix + GLIDE_RATE * (ECHO_SEND[echo] - state.echo_mix);
    state.space_mix = state.space_mix + GLIDE_RATE * (SPACE_SEND[space] - state.space_mix);

    // Echo: the line holds the dry signal and its own feedback.
    int32_t delay = echo_delay(state.pace.load(), echo);
    int32_t tap = state.delay_pos - delay;  // delay_pos and delay both lie in 0..DELAY_LENGTH-1
    if (tap < 0) tap += DELAY_LENGTH;
    float echoed = state.delay_line[tap];
    state.delay_line[state.delay_pos] = echoed * ECHO_FEEDBACK[echo] + static_cast<float>(dry);
    float echo_return = echoed * state.echo_mix;
    double dry_and_echo = dry + static_cast<double>(echo_return);

    // Space: two combs, each read one full length ago, then fed anew.
    float space_in = static_cast<float>(dry_and_echo);
    float comb_a_out = state.comb_a[state.comb_a_pos];
    state.comb_a[state.comb_a_pos] = comb_a_out * COMB_FEEDBACK[space] + space_in;
    float comb_b_out = state.comb_b[state.comb_b_pos];
    float comb_b_feedback = COMB_FEEDBACK[space] - COMB_B_OFFSET;
    state.comb_b[state.comb_b_pos] = comb_b_out * comb_b_feedback + space_in;
    float wet_left = (SPREAD_NEAR * comb_a_out + SPREAD_FAR * comb_b_out) * state.space_mix;
    float wet_right = (SPREAD_FAR * comb_a_out + SPREAD_NEAR * comb_b_out) * state.space_mix;

    double left = (dry_and_echo + static_cast<double>(wet_left)) * MIX_GAIN * OUTPUT_DRIVE;
    double right = (dry_and_echo + static_cast<double>(wet_right)) * MIX_GAIN * OUTPUT_DRIVE;

    if (++state.delay_pos == DELAY_LENGTH) state.delay_pos = 0;
    if (++state.comb_a_pos == COMB_A_LENGTH) state.comb_a_pos = 0;
    if (++state.comb_b_pos == COMB_B_LENGTH) state.comb_b_pos = 0;

    limit_stereo(left, right);
    return StereoSample{soft_clip(left), soft_clip(right)};
}
