// Loading a saved song for a tool: the directory checked first, then the file read once.
#include "saved_song.h"

#include "app/core/state_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// What the tools say of a song file the load did not take.
static SongStatus song_status(const StateLoad& load)
{
    switch (load.status) {
    case LOAD_DONE: return SONG_LOADED;
    case LOAD_NO_FILE: return SONG_ABSENT;
    case LOAD_UNREADABLE: return SONG_UNREADABLE;
    case LOAD_BAD_SIZE: break;
    }
    return SONG_BAD_SIZE;
}

SongCheck load_saved_song(AppState& state, const char* dir)
{
    SongCheck check;
    struct stat info;
    if (stat(dir, &info) != 0) {
        check.error_number = errno;
        check.status = errno == ENOENT ? SONG_NO_DIRECTORY : SONG_NOT_A_DIRECTORY;
        return check;
    }
    if (!S_ISDIR(info.st_mode)) {
        check.error_number = ENOTDIR;
        check.status = S_ISREG(info.st_mode) ? SONG_FILE_NOT_DIRECTORY : SONG_NOT_A_DIRECTORY;
        return check;
    }
    if (!format_state_path(state, dir)) {
        check.status = SONG_PATH_TOO_LONG;
        return check;
    }
    StateLoad load = load_state(state);
    check.status = song_status(load);
    check.error_number = load.error_number;
    check.size = load.size;
    return check;
}

void report_song_problem(const char* tool, const char* dir, const SongCheck& check)
{
    const char* reason = std::strerror(check.error_number);
    switch (check.status) {
    case SONG_LOADED: break;
    case SONG_NO_DIRECTORY: std::fprintf(stderr, "%s: %s: no such directory\n", tool, dir); break;
    case SONG_NOT_A_DIRECTORY:
        std::fprintf(stderr, "%s: %s: not a directory (%s)\n", tool, dir, reason);
        break;
    case SONG_FILE_NOT_DIRECTORY:
        std::fprintf(stderr, "%s: %s is a file; give the directory that holds %s\n", tool, dir,
                     STATE_FILE_NAME);
        break;
    case SONG_PATH_TOO_LONG:
        std::fprintf(stderr, "%s: directory name too long: %s\n", tool, dir);
        break;
    case SONG_ABSENT:
        std::fprintf(stderr, "%s: %s holds no song (no %s)\n", tool, dir, STATE_FILE_NAME);
        break;
    case SONG_UNREADABLE:
        std::fprintf(stderr, "%s: cannot read %s/%s (%s)\n", tool, dir, STATE_FILE_NAME, reason);
        break;
    case SONG_BAD_SIZE:
        std::fprintf(stderr, "%s: %s/%s is not a song file: %ld bytes (a song has %d, %d or %d)\n",
                     tool, dir, STATE_FILE_NAME, check.size, STATE_SIZE_TO_VOICE,
                     STATE_SIZE_TO_WOBBLE, STATE_IMAGE_SIZE);
        break;
    }
}
