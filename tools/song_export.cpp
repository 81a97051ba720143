// Offline rendering of a saved song: the audio callback run on plain buffers,
// its frames written to a WAV file.
#include "song_export.h"

#include "app/core/little_endian.h"
#include "output_file.h"
#include "sound/audio.h"
#include "sound/effects.h"
#include "sound/silence.h"
#include "sound/step_clock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

constexpr int EXPORT_BUFFER_FRAMES = 512;
constexpr int CHANNELS = 2;
constexpr int BITS_PER_SAMPLE = 16;
constexpr uint32_t MAX_DATA_FRAMES = (UINT32_MAX - (WAV_HEADER_SIZE - 8)) / FRAME_BYTES;

namespace {

// Where an export run stands.
struct ExportProgress {
    int64_t frames = 0;       // frames rendered so far
    int64_t written = 0;      // frames written; trailing silence is held back
    int64_t clock_stop = -1;  // frame at which the clock stopped, -1 while it runs
    int passes_begun = 0;     // times step 0 has begun
};

}  // namespace

// The 44-byte header of a PCM WAV file holding `frames` 16-bit stereo frames at 48 kHz.
static void wav_header(uint8_t header[WAV_HEADER_SIZE], uint32_t frames)
{
    uint32_t data_bytes = frames * FRAME_BYTES;
    std::memcpy(header, "RIFF", 4);
    put_le32(header + 4, WAV_HEADER_SIZE - 8 + data_bytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put_le32(header + 16, 16);  // size of the format chunk
    put_le16(header + 20, 1);   // integer PCM
    put_le16(header + 22, CHANNELS);
    put_le32(header + 24, SAMPLE_RATE);
    put_le32(header + 28, SAMPLE_RATE * FRAME_BYTES);  // bytes per second
    put_le16(header + 32, FRAME_BYTES);                // bytes per frame
    put_le16(header + 34, BITS_PER_SAMPLE);
    std::memcpy(header + 36, "data", 4);
    put_le32(header + 40, data_bytes);
}

// --- Rendering ---------------------------------------------------------------

// How many frames the clock may run now: a whole buffer, except in the last
// step of the last pass, which is played a frame at a time up to but not
// including the frame that would start step 0 again.  0 when that frame is next.
static int frames_before_stop(const AppState& state, int loops, const ExportProgress& progress)
{
    if (progress.passes_begun < loops || state.step.load() != GRID_COLS - 1)
        return EXPORT_BUFFER_FRAMES;
    return next_tick(state).ends_step ? 0 : 1;
}

// Writes count frames to out, or only counts them when out is null.
static bool write_frames(FILE* out, const Uint8* frames, int64_t count, ExportProgress& progress)
{
    if (count <= 0) return true;
    if (progress.written + count > MAX_DATA_FRAMES) {
        errno = EFBIG;
        return false;
    }
    progress.written += count;
    return !out || std::fwrite(frames, FRAME_BYTES, static_cast<size_t>(count), out) ==
                       static_cast<size_t>(count);
}

static bool write_silence(FILE* out, int64_t count, ExportProgress& progress)
{
    static const Uint8 zeros[EXPORT_BUFFER_FRAMES * FRAME_BYTES] = {};
    for (; count > 0; count -= EXPORT_BUFFER_FRAMES) {
        int64_t chunk = count < EXPORT_BUFFER_FRAMES ? count : EXPORT_BUFFER_FRAMES;
        if (!write_frames(out, zeros, chunk, progress)) return false;
    }
    return true;
}

// Index of the last frame with a nonzero sample, -1 if all are silent.
static int last_sounding_frame(const Uint8* frames, int count)
{
    for (int i = count - 1; i >= 0; i--) {
        const Uint8* frame = frames + i * FRAME_BYTES;
        if (frame[0] | frame[1] | frame[2] | frame[3]) return i;
    }
    return -1;
}

// Plays state from the grid's opening through audio_callback: the lead-in of
// the step before step 0, `loops` passes of the 16 steps, then, with the
// clock stopped just before it would start step 0 again, the ringing tail
// until the engine has fallen silent or EXPORT_TAIL_LIMIT frames have passed.
// Trailing silence of the tail is left out.  Writes the frames (16-bit
// little-endian, left first) to out after its current position, or only
// counts them when out is null.  state must be on the grid screen with its
// buffers allocated.  False on a write error.
static bool render_song(AppState& state, int loops, FILE* out, ExportProgress& progress)
{
    Uint8 buffer[EXPORT_BUFFER_FRAMES * FRAME_BYTES];

    // The lead-in and the passes, with the clock running.
    for (int frames; (frames = frames_before_stop(state, loops, progress)) > 0;) {
        int32_t step_before = state.step.load();
        audio_callback(&state, buffer, frames * FRAME_BYTES);
        if (state.step.load() < step_before) progress.passes_begun++;  // step 0 began
        progress.frames += frames;
        if (!write_frames(out, buffer, frames, progress)) return false;
    }

    // The ringing tail; silent frames are written only once sound follows them.
    state.resting.store(1);
    progress.clock_stop = progress.frames;
    int64_t silence = 0;
    for (int64_t tail = 0; tail < EXPORT_TAIL_LIMIT;) {
        int64_t left = EXPORT_TAIL_LIMIT - tail;
        int frames = left < EXPORT_BUFFER_FRAMES ? static_cast<int>(left) : EXPORT_BUFFER_FRAMES;
        audio_callback(&state, buffer, frames * FRAME_BYTES);
        tail += frames;
        progress.frames += frames;
        int last = last_sounding_frame(buffer, frames);
        if (last < 0) {
            silence += frames;
            if (engine_silent(state)) break;
            continue;
        }
        if (!write_silence(out, silence, progress)) return false;
        if (!write_frames(out, buffer, last + 1, progress)) return false;
        silence = frames - 1 - last;
    }
    return true;
}

// --- The export --------------------------------------------------------------

// A fresh engine, as when the grid first opens: step 15, step_pos 0, the
// limiter at rest.  Unlike the program, keeps the instrument last chosen.
static SongCheck start_engine(AppState& state, const char* dir)
{
    SongCheck song = load_saved_song(state, dir);
    state.screen.store(SCREEN_GRID);
    limiter_env = 0.0;
    return song;
}

// The number of frames an export of the song will hold, found by playing it
// without writing: a stream cannot seek back to put the length in its header.
static int64_t count_frames(const char* dir, int loops)
{
    AppState state;
    start_engine(state, dir);
    if (!allocate_buffers(state)) return -1;
    ExportProgress progress;
    render_song(state, loops, nullptr, progress);
    free_buffers(state);
    return progress.written;
}

// Header, frames and, on a file, the header again with the real length.
static bool write_wav(AppState& state, int loops, OutputFile& out, int64_t known_frames,
                      ExportProgress& progress)
{
    uint8_t header[WAV_HEADER_SIZE];
    wav_header(header, static_cast<uint32_t>(known_frames));
    if (std::fwrite(header, sizeof header, 1, out.file) != 1) return false;
    if (!render_song(state, loops, out.file, progress)) return false;
    if (!output_seekable(out)) return progress.written == known_frames;
    wav_header(header, static_cast<uint32_t>(progress.written));
    return std::fseek(out.file, 0, SEEK_SET) == 0 &&
           std::fwrite(header, sizeof header, 1, out.file) == 1;
}

// export_song's work, which sets the limiter's envelope to 0 before each run.
static ExportResult export_from_rest(const char* dir, const char* out_path, int loops)
{
    ExportResult result;
    AppState state;
    result.song = start_engine(state, dir);
    if (result.song.status != SONG_LOADED) {
        result.status = EXPORT_BAD_SONG;
        return result;
    }

    OutputFile out;
    OutputStatus opened = output_open(out, out_path, &result.refused);
    if (opened != OUTPUT_OPEN) {
        result.error_number = errno;
        result.status = opened == OUTPUT_REFUSED ? EXPORT_REFUSED_OUTPUT : EXPORT_CANNOT_WRITE;
        return result;
    }
    int64_t known_frames = 0;
    if (!output_seekable(out)) {
        known_frames = count_frames(dir, loops);
        limiter_env = 0.0;
    }
    if (known_frames < 0 || !allocate_buffers(state)) {
        output_close(out, false);
        result.status = EXPORT_NO_MEMORY;
        return result;
    }
    errno = 0;
    ExportProgress progress;
    bool written = write_wav(state, loops, out, known_frames, progress);
    if (!written && errno == 0) errno = EIO;
    written = output_close(out, written);
    free_buffers(state);
    if (!written) {
        result.error_number = errno;
        result.status = EXPORT_CANNOT_WRITE;
        return result;
    }
    result.streamed = out.stream;
    result.frames = progress.written;
    result.tail_frames = progress.clock_stop < 0 ? 0 : progress.written - progress.clock_stop;
    return result;
}

ExportResult export_song(const char* dir, const char* out_path, int loops)
{
    double playing_limiter = limiter_env;  // a program's, where the export runs beside one
    ExportResult result = export_from_rest(dir, out_path, loops);
    limiter_env = playing_limiter;
    return result;
}
