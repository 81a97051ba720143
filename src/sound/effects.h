// The effect chain: tone filter, DC blocker, echo, space combs, limiter and soft clip.
#pragma once

#include "app/core/app_state.h"

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
constexpr double LIMITER_THRESHOLD = 1.3;
constexpr double LIMITER_RELEASE = 0.9999;  // per sample
// No sample leaves the chain larger than this in magnitude.
constexpr int OUTPUT_PEAK = 26542;

// The limiter's envelope: process-wide, 0 at start, never reset by the
// program (a loud passage keeps turning the gain down across resets).
// Audio thread only; tests put it back to 0 between cases.
extern double limiter_env;

struct StereoSample {
    int16_t left;
    int16_t right;
};

// Echo time in samples for the given pace (60..180) and echo level (0..3).
int32_t echo_delay(int32_t pace, int32_t echo);

// The limiter for one frame: updates limiter_env from the larger magnitude of
// left and right and turns both down so that neither exceeds the threshold by
// more than the envelope has released since its peak.
void limit_stereo(double& left, double& right);

// Soft clip and conversion to a 16-bit sample, truncating toward zero.
int16_t soft_clip(double value);

// One sample of the chain: the voice sum in, a stereo frame out, under
// instrument c (0..8).  Advances every effect memory.  Audio thread.
StereoSample effects_sample(AppState& state, double sum, int c);
