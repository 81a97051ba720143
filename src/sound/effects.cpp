// The effect chain for callers that hold the instrument number as a value,
// and the echo time.
#include "sound/effects.h"

double limiter_env = 0.0;

int32_t echo_delay(int32_t pace, int32_t echo)
{
    double beat = static_cast<double>(SAMPLES_PER_MINUTE) / static_cast<double>(pace);
    double samples = beat * ECHO_TIME_FACTOR[echo];
    int32_t delay = static_cast<int32_t>(samples);
    return delay < ECHO_TIME_CAP ? delay : ECHO_TIME_CAP;
}

StereoSample effects_sample(AppState& state, double sum, int c)
{
    using effects_detail::chain;
    EchoTime known;
    switch (c) {
    case 0: return chain<0>(state, sum, known);
    case 1: return chain<1>(state, sum, known);
    case 2: return chain<2>(state, sum, known);
    case 3: return chain<3>(state, sum, known);
    case 4: return chain<4>(state, sum, known);
    case 5: return chain<5>(state, sum, known);
    case 6: return chain<6>(state, sum, known);
    case 7: return chain<7>(state, sum, known);
    default: return chain<8>(state, sum, known);
    }
}
