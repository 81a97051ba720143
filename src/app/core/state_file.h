// The song on disk: grid and six settings in one small binary file.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>

// The sizes a state file may have; each holds what the one before holds and more.
constexpr int STATE_SIZE_TO_VOICE = 136;   // grid, pace, voice (the oldest files)
constexpr int STATE_SIZE_TO_WOBBLE = 144;  // and bank, wobble
constexpr int STATE_IMAGE_SIZE = 152;      // and echo, space: what is always written

// The song file's name in its directory, the one place it is written; as a
// literal too, so that help texts can be put together with it.
#define STATE_FILE_NAME_LITERAL "plim.state"
constexpr const char STATE_FILE_NAME[] = STATE_FILE_NAME_LITERAL;
// What a file that could not be loaded is renamed to before a save takes its
// place; ".1", ".2", ... follow when that name is taken.
constexpr const char UNLOADED_SUFFIX[] = ".unreadable";

// Whether a file of size bytes is a state file; files of any other size are ignored.
inline bool is_state_file_size(long size)
{
    return size == STATE_SIZE_TO_VOICE || size == STATE_SIZE_TO_WOBBLE || size == STATE_IMAGE_SIZE;
}
constexpr int32_t SAVE_DELAY_MS = 500;

// Sets state_path to "<dir>/plim.state".  A directory too long for the path
// buffer leaves state_path empty (returns false): cutting it short could name
// some other file, so such a run neither loads nor saves.
bool format_state_path(AppState& state, const char* dir);

enum LoadStatus {
    LOAD_DONE,        // a song of an accepted size was read; its settings taken where in range
    LOAD_NO_FILE,     // nothing at state_path, or no state_path
    LOAD_UNREADABLE,  // something is there but could not be read: error_number says why
    LOAD_BAD_SIZE,    // a file of size bytes, not 136, 144 or 152
};

struct StateLoad {
    LoadStatus status = LOAD_NO_FILE;
    int error_number = 0;  // for LOAD_UNREADABLE
    long size = 0;         // for LOAD_BAD_SIZE
};

// Reads the state file into grid and settings in one read; anything missing,
// unreadable, short, of an unknown size or out of range leaves the defaults.
// Whatever stands at state_path and could not be loaded (an empty file
// apart) is marked to be kept: the first save renames it aside.  The program
// ignores what is returned; the tools tell the user.  Main thread, before
// the audio device exists.
StateLoad load_state(AppState& state);

// The 152 bytes a save writes for the song in state.
void state_image(const AppState& state, uint8_t image[STATE_IMAGE_SIZE]);

// Writes the 152-byte image through "<state_path>.tmp", flush, fsync, close
// and rename, then syncs the directory.  The old file is replaced only when
// every step before the rename succeeded.  A file the load could not read is
// first renamed to "<state_path>.unreadable" (or .unreadable.1 and so on, never
// over an earlier one); if that cannot be done, nothing is saved.  Returns
// whether the new image is in place; when it is not, errno says why.
bool save_state(AppState& state);

// A change that must be saved: the save is due SAVE_DELAY_MS after the latest one.
void mark_dirty(AppState& state, int32_t now);

enum SaveResult {
    SAVE_NOT_DUE,  // nothing pending, or not yet due: nothing written
    SAVE_WRITTEN,
    SAVE_FAILED,  // errno says why
};

// The frame loop's debounced save: writes when a save is pending and due,
// then clears dirty whatever the outcome.
SaveResult save_if_due(AppState& state, int32_t now);
