// The picker's audition: three notes of the chosen bank's first instrument.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>

// (Re)starts the audition: voice 0, and three notes, the first 80 ms from
// now.  Main thread.
void restart_audition(AppState& state, int32_t now);

// The audition note, when one is due at now.  Main thread, once per frame;
// takes the audio lock around the voice start.
void play_preview(AppState& state, int32_t now);
