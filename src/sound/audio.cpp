// The audio callback: the sample loop of one buffer.
#include "sound/audio.h"

#include "sound/effects.h"
#include "sound/step_clock.h"
#include "sound/voices.h"

#include <cstring>

static void store_sample(Uint8* at, int16_t sample)
{
    uint16_t bits = static_cast<uint16_t>(sample);
    at[0] = static_cast<Uint8>(bits & 0xff);
    at[1] = static_cast<Uint8>(bits >> 8);
}

// The sample loop for one buffer, with instrument C's constants folded in.
template <int C>
static void render_frames(AppState& state, Uint8* out, int frames)
{
    for (int i = 0; i < frames; i++, out += FRAME_BYTES) {
        if (state.screen.load() == SCREEN_GRID && state.resting.load() == 0) clock_tick(state);
        double sum = voices_detail::render<C>(state);
        StereoSample sample = effects_sample(state, sum, C);
        store_sample(out, sample.left);
        store_sample(out + 2, sample.right);
    }
}

void audio_callback(void* userdata, Uint8* stream, int len)
{
    AppState& state = *static_cast<AppState*>(userdata);
    // One instrument for the whole buffer.
    int c = instrument_number(state.bank.load(), state.voice.load());
    if (len > 0) std::memset(stream, 0, static_cast<size_t>(len));
    if (len < FRAME_BYTES) return;
    int frames = len / FRAME_BYTES;  // bytes after the last whole frame stay zero
    switch (c) {
    case 0: render_frames<0>(state, stream, frames); break;
    case 1: render_frames<1>(state, stream, frames); break;
    case 2: render_frames<2>(state, stream, frames); break;
    case 3: render_frames<3>(state, stream, frames); break;
    case 4: render_frames<4>(state, stream, frames); break;
    case 5: render_frames<5>(state, stream, frames); break;
    case 6: render_frames<6>(state, stream, frames); break;
    case 7: render_frames<7>(state, stream, frames); break;
    case 8: render_frames<8>(state, stream, frames); break;
    default: break;  // bank and voice are kept in range; silence otherwise
    }
}
