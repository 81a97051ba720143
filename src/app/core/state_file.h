// The song on disk: grid and six settings in one small binary file.
#pragma once

#include "app/core/app_state.h"

#include <cstdint>

constexpr int STATE_IMAGE_SIZE = 152;  // what is always written
constexpr int32_t SAVE_DELAY_MS = 500;

// Makes the song directory dir, with its parents, when nothing exists under
// that name yet; anything already there (a directory, or a file that is left
// alone) is not touched.  Returns whether dir is a directory afterwards.
// Main thread, at start-up before loading.
bool make_song_directory(const char* dir);

// Sets state_path to "<dir>/plim.state".  A directory too long for the path
// buffer leaves state_path empty (returns false): cutting it short could name
// some other file, so such a run neither loads nor saves.
bool format_state_path(AppState& state, const char* dir);

// Reads the state file into grid and settings; anything missing, short, of an
// unknown size or out of range leaves the defaults.  Main thread, before the
// audio device exists.
void load_state(AppState& state);

// The 152 bytes a save writes for the song in state.
void state_image(const AppState& state, uint8_t image[STATE_IMAGE_SIZE]);

// Writes the 152-byte image through "<state_path>.tmp", flush, fsync, close
// and rename, then syncs the directory.  The old file is replaced only when
// every step before the rename succeeded.  Returns whether the new image is in
// place; callers in the program ignore it.
bool save_state(const AppState& state);

// A change that must be saved: the save is due SAVE_DELAY_MS after the latest one.
void mark_dirty(AppState& state, int32_t now);

// The frame loop's debounced save: writes when a save is pending and due,
// then clears dirty whatever the outcome.
void save_if_due(AppState& state, int32_t now);
