// The audio callback.  Until the sound engine lands it plays silence.
#include "sound/audio.h"

#include "app/ticks.h"

#include <cstring>

void audio_callback(void*, Uint8* stream, int len)
{
    if (len > 0) std::memset(stream, 0, static_cast<size_t>(len));
}

void play_preview(AppState&, int32_t) {}

void restart_audition(AppState& state, int32_t now)
{
    state.voice.store(0);
    state.preview_count = 0;
    state.preview_due = ticks_after(now, 80);
}
