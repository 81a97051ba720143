// The grid screen's status messages: what the last control did, for a moment.
// Main thread only.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>

constexpr int32_t MESSAGE_MS = 1100;  // how long the grid screen shows a message

// Shows text (cut to fit the message buffer) on the grid screen for MESSAGE_MS from now.
void set_message(AppState& state, const char* text, int32_t now);
// Shows the name of the instrument now playing.
void show_instrument(AppState& state, int32_t now);
// Shows "ECHO : e | SPACE : s".
void show_mix_levels(AppState& state, int32_t now);
