// The audio callback: for every frame of a buffer, one tick of the step
// clock, the eight voices and the effect chain.
#pragma once

#include "app/core/app_state.h"

// One stereo frame of output: two signed 16-bit little-endian samples, left first.
constexpr int FRAME_BYTES = 4;

// SDL's audio callback.  userdata is the AppState.  Runs on SDL's audio
// thread under the device lock; allocates nothing, locks nothing, no I/O.
void audio_callback(void* userdata, Uint8* stream, int len);
