// Offline rendering of a saved song into a 16-bit stereo 48 kHz WAV file.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>
#include <cstdio>

constexpr int EXPORT_DEFAULT_LOOPS = 4;
constexpr int EXPORT_MAX_LOOPS = 999;
constexpr int EXPORT_TAIL_LIMIT = 10 * SAMPLE_RATE;  // frames of ringing after the last pass
constexpr int WAV_HEADER_SIZE = 44;

enum ExportStatus {
    EXPORT_DONE,
    EXPORT_NO_DIRECTORY,     // DIR does not exist or is not a directory
    EXPORT_PATH_TOO_LONG,    // DIR/plim.state or OUT.tmp does not fit a path buffer
    EXPORT_NO_SONG,          // DIR holds no plim.state
    EXPORT_UNREADABLE_SONG,  // plim.state exists but cannot be read
    EXPORT_BAD_SONG_SIZE,    // plim.state is not 136, 144 or 152 bytes long
    EXPORT_NO_MEMORY,        // the effect buffers could not be allocated
    EXPORT_CANNOT_WRITE,     // OUT.tmp could not be created, written or renamed to OUT
};

struct ExportResult {
    ExportStatus status = EXPORT_DONE;
    int error_number = 0;   // errno of the call that failed, 0 when none applies
    long song_size = 0;     // size of plim.state, for EXPORT_BAD_SONG_SIZE
    int64_t frames = 0;     // frames written, on success
    int64_t tail_frames = 0;  // of which after the clock stopped
};

// Where an export run stands; exposed so that tests can follow it.
struct ExportProgress {
    int64_t frames = 0;          // frames rendered so far
    int64_t written = 0;         // frames written; trailing silence is held back
    int64_t clock_stop = -1;     // frame at which the clock stopped, -1 while it runs
    int passes_begun = 0;        // times step 0 has begun
};

// The 44-byte header of a PCM WAV file holding `frames` 16-bit stereo frames at 48 kHz.
void wav_header(uint8_t header[WAV_HEADER_SIZE], uint32_t frames);

// Plays state from the grid's opening through audio_callback: the lead-in of
// the step before step 0, `loops` passes of the 16 steps, then, with the
// clock stopped just before it would start step 0 again, the ringing tail
// until the engine has fallen silent or EXPORT_TAIL_LIMIT frames have passed.
// Trailing silence of the tail is left out.  Writes the frames (16-bit
// little-endian, left first) to out after its current position.  state must
// be on the grid screen with its buffers allocated.  False on a write error.
bool render_song(AppState& state, int loops, FILE* out, ExportProgress& progress);

// Loads "<dir>/plim.state" as the program does and writes what the program
// plays from the moment the grid opens, with the instrument the player last
// chose, to out_path as a WAV file.  The file is written as "<out_path>.tmp"
// and renamed; on failure the temporary file is removed and out_path is left
// as it was.  loops is 1..EXPORT_MAX_LOOPS.
ExportResult export_song(const char* dir, const char* out_path, int loops);
