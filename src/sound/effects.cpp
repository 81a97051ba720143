// The effect chain's echo time, and the limiter's process-wide envelope.
#include "sound/effects.h"

double limiter_env = 0.0;

int32_t echo_delay(int32_t pace, int32_t echo)
{
    double beat = static_cast<double>(SAMPLES_PER_MINUTE) / static_cast<double>(pace);
    double samples = beat * ECHO_TIME_FACTOR[echo];
    int32_t delay = static_cast<int32_t>(samples);
    return delay < ECHO_TIME_CAP ? delay : ECHO_TIME_CAP;
}
