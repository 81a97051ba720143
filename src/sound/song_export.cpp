// Offline rendering of a saved song: the audio callback run on plain buffers,
// its frames written to a WAV file.
#include "sound/song_export.h"

#include "app/core/state_file.h"
#include "app/core/tempo.h"
#include "sound/audio.h"
#include "sound/voices.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

constexpr int EXPORT_BUFFER_FRAMES = 512;
constexpr int CHANNELS = 2;
constexpr int BITS_PER_SAMPLE = 16;
constexpr int TEMP_PATH_SIZE = STATE_PATH_SIZE + 8;
constexpr uint32_t MAX_DATA_FRAMES = (UINT32_MAX - (WAV_HEADER_SIZE - 8)) / FRAME_BYTES;

// With the voices silent and every filter, echo and comb memory at or below
// this level, the feedback (echo at most 0.37, combs at most 0.7) keeps every
// later value within about 25 times it: far below the 3.2e-5 the soft clip
// needs to produce one unit of output.  Nothing audible can come back.
constexpr double QUIET_LEVEL = 1e-7;

static void put_u16(uint8_t* at, uint32_t value)
{
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

static void put_u32(uint8_t* at, uint32_t value)
{
    put_u16(at, value & 0xffff);
    put_u16(at + 2, value >> 16);
}

void wav_header(uint8_t header[WAV_HEADER_SIZE], uint32_t frames)
{
    uint32_t data_bytes = frames * FRAME_BYTES;
    std::memcpy(header, "RIFF", 4);
    put_u32(header + 4, WAV_HEADER_SIZE - 8 + data_bytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put_u32(header + 16, 16);  // size of the format chunk
    put_u16(header + 20, 1);   // integer PCM
    put_u16(header + 22, CHANNELS);
    put_u32(header + 24, SAMPLE_RATE);
    put_u32(header + 28, SAMPLE_RATE * FRAME_BYTES);  // bytes per second
    put_u16(header + 32, FRAME_BYTES);                // bytes per frame
    put_u16(header + 34, BITS_PER_SAMPLE);
    std::memcpy(header + 36, "data", 4);
    put_u32(header + 40, data_bytes);
}

// --- Rendering ---------------------------------------------------------------

static bool below_quiet_level(const float* values, int count)
{
    for (int i = 0; i < count; i++)
        if (std::fabs(values[i]) > QUIET_LEVEL) return false;
    return true;
}

static bool engine_quiet(const AppState& state)
{
    for (int row = 0; row < GRID_ROWS; row++)
        if (state.gate[row] || state.env[row] > SILENT_LEVEL) return false;
    return std::fabs(state.tone_state) <= QUIET_LEVEL && std::fabs(state.dc_out) <= QUIET_LEVEL &&
           std::fabs(state.dc_prev) <= QUIET_LEVEL &&
           below_quiet_level(state.delay_line, DELAY_LENGTH) &&
           below_quiet_level(state.comb_a, COMB_A_LENGTH) &&
           below_quiet_level(state.comb_b, COMB_B_LENGTH);
}

// How many frames the clock may run before the stop: a whole buffer, except
// in the last step of the last pass, which is rendered up to but not
// including the frame that would start step 0 again.  Every step lasts more
// than 3400 frames, so a buffer never crosses two step boundaries.  0 when
// the next frame would start step 0.
static int frames_before_stop(const AppState& state, int loops, const ExportProgress& progress)
{
    if (progress.passes_begun < loops || state.step.load() != GRID_COLS - 1)
        return EXPORT_BUFFER_FRAMES;
    double pos = state.step_pos.load();
    double length = step_length(state);
    double whole_frames_left = std::floor(length - pos) - 2.0;  // clear of any rounding
    if (whole_frames_left >= 1.0)
        return whole_frames_left < EXPORT_BUFFER_FRAMES ? static_cast<int>(whole_frames_left)
                                                         : EXPORT_BUFFER_FRAMES;
    // The same test clock_tick makes, one frame at a time.
    return pos + 1.0 >= length ? 0 : 1;
}

static bool write_frames(FILE* out, const Uint8* frames, int64_t count, ExportProgress& progress)
{
    if (count <= 0) return true;
    if (progress.written + count > MAX_DATA_FRAMES) {
        errno = EFBIG;
        return false;
    }
    progress.written += count;
    return std::fwrite(frames, FRAME_BYTES, static_cast<size_t>(count), out) ==
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

bool render_song(AppState& state, int loops, FILE* out, ExportProgress& progress)
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
            if (engine_quiet(state)) break;
            continue;
        }
        if (!write_silence(out, silence, progress)) return false;
        if (!write_frames(out, buffer, last + 1, progress)) return false;
        silence = frames - 1 - last;
    }
    return true;
}

// --- The export --------------------------------------------------------------

// The checks load_state keeps to itself: the program quietly falls back to a
// new song, an export must not.
static ExportStatus check_song_file(const char* path, ExportResult& result)
{
    struct stat info;
    if (stat(path, &info) != 0) {
        result.error_number = errno;
        return errno == ENOENT ? EXPORT_NO_SONG : EXPORT_UNREADABLE_SONG;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error_number = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return EXPORT_UNREADABLE_SONG;
    }
    result.song_size = static_cast<long>(info.st_size);
    if (info.st_size != 136 && info.st_size != 144 && info.st_size != STATE_IMAGE_SIZE)
        return EXPORT_BAD_SONG_SIZE;

    FILE* file = std::fopen(path, "rb");
    if (!file) {
        result.error_number = errno;
        return EXPORT_UNREADABLE_SONG;
    }
    uint8_t image[STATE_IMAGE_SIZE];
    bool complete = std::fread(image, static_cast<size_t>(info.st_size), 1, file) == 1;
    if (!complete) result.error_number = std::ferror(file) ? errno : EIO;
    std::fclose(file);
    return complete ? EXPORT_DONE : EXPORT_UNREADABLE_SONG;
}

// Header, frames, the header again with the real length, and onto the disk.
static bool write_wav(AppState& state, int loops, FILE* out, ExportResult& result)
{
    uint8_t header[WAV_HEADER_SIZE];
    wav_header(header, 0);
    ExportProgress progress;
    bool written = std::fwrite(header, sizeof header, 1, out) == 1 &&
                   render_song(state, loops, out, progress);
    if (written) {
        wav_header(header, static_cast<uint32_t>(progress.written));
        written = std::fseek(out, 0, SEEK_SET) == 0 &&
                  std::fwrite(header, sizeof header, 1, out) == 1 && std::fflush(out) == 0 &&
                  fsync(fileno(out)) == 0;
    }
    result.frames = progress.written;
    result.tail_frames = progress.clock_stop < 0 ? 0 : progress.written - progress.clock_stop;
    return written;
}

static ExportStatus write_export(AppState& state, const char* out_path, int loops,
                                 ExportResult& result)
{
    char temp_path[TEMP_PATH_SIZE];
    int length = std::snprintf(temp_path, sizeof temp_path, "%s.tmp", out_path);
    if (length < 0 || length >= TEMP_PATH_SIZE) return EXPORT_PATH_TOO_LONG;

    FILE* out = std::fopen(temp_path, "wb");
    if (!out) {
        result.error_number = errno;
        return EXPORT_CANNOT_WRITE;
    }
    errno = 0;
    bool written = write_wav(state, loops, out, result);
    if (!written) result.error_number = errno ? errno : EIO;
    if (std::fclose(out) != 0 && written) {
        written = false;
        result.error_number = errno;
    }
    if (written && std::rename(temp_path, out_path) != 0) {
        written = false;
        result.error_number = errno;
    }
    if (written) return EXPORT_DONE;
    std::remove(temp_path);
    result.frames = 0;
    result.tail_frames = 0;
    return EXPORT_CANNOT_WRITE;
}

ExportResult export_song(const char* dir, const char* out_path, int loops)
{
    ExportResult result;
    struct stat info;
    bool found = stat(dir, &info) == 0;
    if (!found || !S_ISDIR(info.st_mode)) {
        result.error_number = found ? ENOTDIR : errno;
        result.status = EXPORT_NO_DIRECTORY;
        return result;
    }

    // A fresh engine, as when the grid first opens: step 15, step_pos 0.
    AppState state;
    if (!format_state_path(state, dir)) {
        result.status = EXPORT_PATH_TOO_LONG;
        return result;
    }
    result.status = check_song_file(state.state_path, result);
    if (result.status != EXPORT_DONE) return result;
    load_state(state);  // unlike the program, keeps the instrument last chosen
    if (!allocate_buffers(state)) {
        result.status = EXPORT_NO_MEMORY;
        return result;
    }
    state.screen.store(SCREEN_GRID);
    result.status = write_export(state, out_path, loops, result);
    free_buffers(state);
    return result;
}
