// Loading a saved song for a tool: the directory and the file checked first.
#include "saved_song.h"

#include "app/core/state_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

// The file must be a whole state file that can be read to its end.
static SongStatus check_song_file(const char* path, SongCheck& check)
{
    struct stat info;
    if (stat(path, &info) != 0) {
        check.error_number = errno;
        return errno == ENOENT ? SONG_ABSENT : SONG_UNREADABLE;
    }
    if (!S_ISREG(info.st_mode)) {
        check.error_number = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return SONG_UNREADABLE;
    }
    check.size = static_cast<long>(info.st_size);
    if (!is_state_file_size(check.size)) return SONG_BAD_SIZE;

    FILE* file = std::fopen(path, "rb");
    if (!file) {
        check.error_number = errno;
        return SONG_UNREADABLE;
    }
    uint8_t image[STATE_IMAGE_SIZE];
    bool complete = std::fread(image, static_cast<size_t>(check.size), 1, file) == 1;
    if (!complete) check.error_number = std::ferror(file) ? errno : EIO;
    std::fclose(file);
    return complete ? SONG_LOADED : SONG_UNREADABLE;
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
        check.status = SONG_NOT_A_DIRECTORY;
        return check;
    }
    if (!format_state_path(state, dir)) {
        check.status = SONG_PATH_TOO_LONG;
        return check;
    }
    check.status = check_song_file(state.state_path, check);
    if (check.status == SONG_LOADED) load_state(state);
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
