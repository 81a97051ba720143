// The audio callback and the step clock that runs inside it.
#pragma once

#include "app/app_state.h"

#include <cstdint>

// SDL's audio callback.  userdata is the AppState.  Runs on SDL's audio
// thread under the device lock; allocates nothing, locks nothing, no I/O.
void audio_callback(void* userdata, Uint8* stream, int len);

// Length in samples of the step now playing, wobble included.
double step_length(const AppState& state);

// One sample of the step clock: advances step_pos and, at the end of the
// step, moves to the next step and starts its lit rows.  Audio thread.
void clock_tick(AppState& state);

// Starts the voice of one row.  The main thread holds the audio lock around it.
void start_voice(AppState& state, int row, double peak, double pitch_mul);

// (Re)starts the picker's audition: three notes of the bank's first
// instrument, the first 80 ms from now.  Main thread.
void restart_audition(AppState& state, int32_t now);

// The picker's audition note, when one is due at now.  Main thread, once
// per frame; takes the audio lock around the voice start.
void play_preview(AppState& state, int32_t now);
