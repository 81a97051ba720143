// A saved song loaded for a tool, with the checks the program keeps to
// itself: the program quietly falls back to a new song, a tool must say why.
#pragma once

#include "app/core/app_state.h"

enum SongStatus {
    SONG_LOADED,
    SONG_NO_DIRECTORY,        // DIR does not exist
    SONG_NOT_A_DIRECTORY,     // DIR exists but is something else
    SONG_FILE_NOT_DIRECTORY,  // DIR is a file (plim.state itself, say), not its directory
    SONG_PATH_TOO_LONG,       // DIR/plim.state does not fit the path buffer
    SONG_ABSENT,              // DIR holds no plim.state; state keeps the new song
    SONG_UNREADABLE,          // plim.state exists but cannot be read
    SONG_BAD_SIZE,            // plim.state is not 136, 144 or 152 bytes long
};

struct SongCheck {
    SongStatus status = SONG_LOADED;
    int error_number = 0;  // errno of the call that failed, 0 when none applies
    long size = 0;         // size of plim.state, for SONG_BAD_SIZE
};

// Loads "<dir>/plim.state" into state exactly as the program does (one read,
// by load_state), after checking that the directory is one.  On any status
// but SONG_LOADED the song is left as state held it.
SongCheck load_saved_song(AppState& state, const char* dir);

// Prints why the song could not be loaded as "<tool>: <reason>" on standard
// error.  Nothing for SONG_LOADED.
void report_song_problem(const char* tool, const char* dir, const SongCheck& check);
