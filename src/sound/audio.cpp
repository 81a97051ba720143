// The audio callback: the sample loop of one buffer.
#include "sound/audio.h"

#include "app/core/little_endian.h"
#include "sound/effects.h"
#include "sound/step_clock.h"
#include "sound/voices.h"

#include <cstring>

// Left then right, each signed 16-bit little-endian.
static void store_frame(Uint8* at, StereoSample sample)
{
    uint32_t left = static_cast<uint16_t>(sample.left), right = static_cast<uint16_t>(sample.right);
    put_le32(at, left | right << 16);
}

// The sample loop for one buffer, with instrument C's constants folded in.
// Per sample: the clock, the voices, the effects.  When the clock has started
// a column, the voices' oscillators are tuned and synced again; otherwise
// they are synced every OSCILLATOR_SYNC_FRAMES samples.  Kept out of line:
// the nine loops inlined into one function crowd the registers.
template <int C>
[[gnu::noinline]] static void render_frames(AppState& state, Uint8* out, int frames)
{
    Oscillators oscillators;
    tune_oscillators(state, oscillators);
    int until_sync = 0;
    EchoTime echo_time;
    for (int i = 0; i < frames; i++, out += FRAME_BYTES) {
        if (state.screen.load() == SCREEN_GRID && state.resting.load() == 0) {
            int32_t step = state.step.load();
            clock_tick(state);
            if (state.step.load() != step) {
                tune_oscillators(state, oscillators);
                until_sync = 0;
            }
        }
        if (until_sync == 0) {
            sync_oscillators(state, oscillators);
            until_sync = OSCILLATOR_SYNC_FRAMES;
        }
        until_sync--;
        double sum = voices_detail::render<C>(state, oscillators);
        store_frame(out, effects_detail::chain<C>(state, sum, echo_time));
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
    // bank and voice are kept in range; silence otherwise
    with_instrument(c, [&](auto instrument) {
        render_frames<decltype(instrument)::value>(state, stream, frames);
    });
}
