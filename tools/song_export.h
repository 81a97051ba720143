// Offline rendering of a saved song into a 16-bit stereo 48 kHz WAV file.
#pragma once

#include "app/core/app_state.h"
#include "saved_song.h"

#include <cstdint>

constexpr int EXPORT_DEFAULT_LOOPS = 4;
constexpr int EXPORT_MAX_LOOPS = 999;
constexpr int EXPORT_TAIL_LIMIT = 10 * SAMPLE_RATE;  // frames of ringing after the last pass
constexpr int WAV_HEADER_SIZE = 44;

enum ExportStatus {
    EXPORT_DONE,
    EXPORT_BAD_SONG,        // the song could not be loaded: see song
    EXPORT_NO_MEMORY,       // the effect buffers could not be allocated
    EXPORT_REFUSED_OUTPUT,  // OUT is a directory, socket or the like: see refused
    EXPORT_CANNOT_WRITE,    // OUT could not be opened or written: see error_number
};

struct ExportResult {
    ExportStatus status = EXPORT_DONE;
    SongCheck song;            // for EXPORT_BAD_SONG
    const char* refused = "";  // what stands at OUT, for EXPORT_REFUSED_OUTPUT
    int error_number = 0;      // for EXPORT_CANNOT_WRITE
    int64_t frames = 0;        // frames written, on success
    int64_t tail_frames = 0;   // of which after the clock stopped
    bool streamed = false;     // the WAV went into a stream (standard output, a pipe, a device)
};

// Loads the song saved in dir as the program does and writes what the program
// plays from the moment the grid opens, with the instrument the player last
// chose, to out_path as a WAV file, by the rules of output_open: a file is
// replaced only once it is complete; a stream ("-" for standard output, a
// device or a pipe) gets the same bytes, its length worked out by a first,
// silent run.  loops is 1..EXPORT_MAX_LOOPS.  The export's engine starts
// with the limiter at rest, and the limiter's envelope is left as it was
// found (the page exports while its program plays).
ExportResult export_song(const char* dir, const char* out_path, int loops);
