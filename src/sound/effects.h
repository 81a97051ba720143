// The effect chain: tone filter, DC blocker, echo, space combs, limiter and soft clip.
#pragma once

#include "app/core/app_state.h"
#include "app/core/tempo.h"
#include "sound/fast_tanh.h"
#include "sound/instruments.h"

#include <cmath>
#include <cstdint>

// Per-level tables, indexed by echo or space.
inline constexpr float ECHO_SEND[EFFECT_LEVELS] = {0.0f, 0.12f, 0.2f, 0.28f};
inline constexpr float ECHO_FEEDBACK[EFFECT_LEVELS] = {0.0f, 0.17f, 0.27f, 0.37f};
// Echo time in beats of pace (SAMPLES_PER_MINUTE / pace samples each); level 0
// keeps the time of level 3 so that a fading echo does not jump.
inline constexpr double ECHO_TIME_FACTOR[EFFECT_LEVELS] = {1.5, 0.5, 0.75, 1.5};
inline constexpr float SPACE_SEND[EFFECT_LEVELS] = {0.0f, 0.08f, 0.14f, 0.21f};
inline constexpr float COMB_FEEDBACK[EFFECT_LEVELS] = {0.0f, 0.52f, 0.62f, 0.7f};
constexpr float COMB_B_OFFSET = 0.035f;  // comb B feeds back this much less than comb A

constexpr int32_t ECHO_TIME_CAP = DELAY_LENGTH - 1;
constexpr double DC_BLOCK = 0.9844;
constexpr float GLIDE_RATE = 9e-4f;  // of the remaining distance, per sample
constexpr float SPREAD_NEAR = 0.7f;  // a comb's share of its own side
constexpr float SPREAD_FAR = 0.3f;   // and of the other side
constexpr double MIX_GAIN = 0.92;
constexpr double OUTPUT_DRIVE = 2.4;  // applied after MIX_GAIN
constexpr double LIMITER_THRESHOLD = 1.3;
constexpr double LIMITER_RELEASE = 0.9999;  // per sample
constexpr double OUTPUT_SCALE = 0.94;
constexpr double FULL_SCALE = 32767.0;
// No sample leaves the chain larger than this in magnitude.
constexpr int OUTPUT_PEAK = 26542;

// The limiter holds every sample below its threshold over the release (a
// new peak comes out at the threshold), so the soft clip never leaves the
// short tanh for the C library's: the same bytes on every platform.
static_assert(LIMITER_THRESHOLD / LIMITER_RELEASE <= FAST_TANH_REACH);

// The limiter's envelope: process-wide, 0 at start, never reset by the
// program (a loud passage keeps turning the gain down across resets).
// Written only by the thread that runs the effect chain: SDL's audio thread
// in the program; in the WAV export the export's own thread, which sets it
// to 0 before each run and afterwards puts back what it found (in the
// browser the page's one thread, between the program's callbacks).  Tests put
// it back to 0 between cases.
extern double limiter_env;

struct StereoSample {
    int16_t left;
    int16_t right;
};

// Echo time in samples for the given pace (60..180) and echo level (0..3).
int32_t echo_delay(int32_t pace, int32_t echo);

// The echo time for the pace and level it was last worked out for, so that
// the sample loop divides only when one of them changes.  Starts empty.
struct EchoTime {
    int32_t pace = 0;
    int32_t echo = 0;
    int32_t delay = -1;  // none yet
};

inline int32_t echo_time(EchoTime& known, int32_t pace, int32_t echo)
{
    if (pace != known.pace || echo != known.echo || known.delay < 0) {
        known = EchoTime{pace, echo, echo_delay(pace, echo)};
    }
    return known.delay;
}

// The limiter for one frame: updates limiter_env from the larger magnitude of
// left and right and turns both down so that neither exceeds the threshold by
// more than the envelope has released since its peak.
inline void limit_stereo(double& left, double& right)
{
    double left_magnitude = std::fabs(left);
    double right_magnitude = std::fabs(right);
    double magnitude = left_magnitude > right_magnitude ? left_magnitude : right_magnitude;
    double env = magnitude > limiter_env ? magnitude : limiter_env * LIMITER_RELEASE;
    limiter_env = env;
    if (env > LIMITER_THRESHOLD) {
        double reduction = LIMITER_THRESHOLD / env;
        left = left * reduction;
        right = right * reduction;
    }
}

// The soft clip of both channels side by side, each scaled to 16 bits and
// truncated toward zero; each comes out as it would alone.
inline StereoSample soft_clip(double left, double right)
{
    Lanes clipped = fast_tanh(Lanes{left, right}) * OUTPUT_SCALE * FULL_SCALE;
    return StereoSample{static_cast<int16_t>(clipped[0]), static_cast<int16_t>(clipped[1])};
}

namespace effects_detail {

// One sample of the chain under instrument C: the voice sum in, a stereo
// frame out.  Advances every effect memory; known_echo_time carries the echo
// time across the samples of a buffer.  Audio thread.
template <int C>
inline StereoSample chain(AppState& state, double sum, EchoTime& known_echo_time)
{
    // Tone filter, gain and DC blocker, in double.
    state.tone_state = state.tone_state + TONE_COEF[C] * (sum - state.tone_state);
    double toned = state.tone_state * OUT_GAIN[C];
    double dry = DC_BLOCK * state.dc_out + (toned - state.dc_prev);
    state.dc_prev = toned;
    state.dc_out = dry;

    // Return levels glide toward the player's choice.
    int32_t echo = state.echo.load();
    int32_t space = state.space.load();
    state.echo_mix = state.echo_mix + GLIDE_RATE * (ECHO_SEND[echo] - state.echo_mix);
    state.space_mix = state.space_mix + GLIDE_RATE * (SPACE_SEND[space] - state.space_mix);

    // Echo: the line holds the dry signal and its own feedback.
    int32_t delay = echo_time(known_echo_time, state.pace.load(), echo);
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
    return soft_clip(left, right);
}

}  // namespace effects_detail
