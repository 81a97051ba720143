// The grid screen's status messages.
#include "controls/messages.h"

#include "app/core/ticks.h"

#include <cstdio>

void set_message(AppState& state, const char* text, int32_t now)
{
    std::snprintf(state.message, sizeof state.message, "%s", text);
    state.message_until = ticks_after(now, MESSAGE_MS);
}

void show_instrument(AppState& state, int32_t now)
{
    int instrument = instrument_number(state.bank.load(), state.voice.load());
    set_message(state, INSTRUMENT_NAMES[instrument], now);
}

void show_mix_levels(AppState& state, int32_t now)
{
    char text[MESSAGE_SIZE];
    std::snprintf(text, sizeof text, "ECHO : %d | SPACE : %d", static_cast<int>(state.echo.load()),
                  static_cast<int>(state.space.load()));
    set_message(state, text, now);
}
