// The song on disk.  Layout (all integers 32-bit signed little-endian):
//   0    128  grid, row 0 first, 16 bytes a row
//   128  4    pace
//   132  4    voice   (voice comes before bank here)
//   136  4    bank
//   140  4    wobble
//   144  4    echo
//   148  4    space
// Files of 136 bytes (grid, pace, voice) and 144 bytes (up to wobble) from
// earlier versions are read too; any other size is ignored.
#include "app/core/state_file.h"

#include "app/core/durable_file.h"
#include "app/core/little_endian.h"
#include "app/core/ticks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

constexpr int GRID_BYTES = GRID_ROWS * GRID_COLS;
// Where each setting is stored.
constexpr int PACE_AT = 128;
constexpr int VOICE_AT = 132;
constexpr int BANK_AT = 136;
constexpr int WOBBLE_AT = 140;
constexpr int ECHO_AT = 144;
constexpr int SPACE_AT = 148;

bool format_state_path(AppState& state, const char* dir)
{
    int length =
        std::snprintf(state.state_path, sizeof state.state_path, "%s/%s", dir, STATE_FILE_NAME);
    if (length >= 0 && length < STATE_PATH_SIZE) return true;
    state.state_path[0] = '\0';
    return false;
}

// Takes the stored value at offset only if it lies in lo..hi; a negative
// value, read unsigned, never does.
static void take_setting(Relaxed<int32_t>& setting, const uint8_t* image, int offset, int32_t lo,
                         int32_t hi)
{
    uint32_t value = get_le32(image + offset);
    if (value >= static_cast<uint32_t>(lo) && value <= static_cast<uint32_t>(hi))
        setting.store(static_cast<int32_t>(value));
}

// Opens state_path without waiting on a pipe that has no writer.
static FILE* open_for_reading(const char* path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    FILE* file = fdopen(fd, "rb");
    if (!file) close(fd);
    return file;
}

// The file's size from its end, and its bytes in one read.  A file of a size
// no song has is still read a byte, so that what cannot be read at all (a
// directory, say) says so.
static StateLoad read_image(const char* path, uint8_t image[STATE_IMAGE_SIZE])
{
    StateLoad load;
    FILE* file = open_for_reading(path);
    if (!file) {
        load.status = errno == ENOENT ? LOAD_NO_FILE : LOAD_UNREADABLE;
        load.error_number = errno;
        return load;
    }
    errno = 0;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    int seek_error = errno;
    std::rewind(file);
    size_t wanted = is_state_file_size(size) ? static_cast<size_t>(size) : 1;
    size_t got = size < 0 ? 0 : std::fread(image, 1, wanted, file);
    if (size < 0 || std::ferror(file)) {
        load.status = LOAD_UNREADABLE;
        load.error_number = size < 0 ? seek_error : errno;
    } else if (!is_state_file_size(size)) {
        load.status = LOAD_BAD_SIZE;
        load.size = size;
    } else if (got != wanted) {
        load.status = LOAD_UNREADABLE;  // shorter than it said
        load.error_number = EIO;
    } else {
        load.status = LOAD_DONE;
        load.size = size;
    }
    std::fclose(file);
    return load;
}

StateLoad load_state(AppState& state)
{
    if (state.state_path[0] == '\0') return StateLoad{};
    uint8_t image[STATE_IMAGE_SIZE];
    StateLoad load = read_image(state.state_path, image);
    bool empty = load.status == LOAD_BAD_SIZE && load.size == 0;
    state.keep_unloaded = load.status != LOAD_DONE && load.status != LOAD_NO_FILE && !empty;
    if (load.status != LOAD_DONE) return load;

    std::memcpy(state.grid, image, GRID_BYTES);  // bytes kept as they stand: nonzero is lit
    take_setting(state.pace, image, PACE_AT, PACE_MIN, PACE_MAX);
    take_setting(state.voice, image, VOICE_AT, 0, VOICES_PER_BANK - 1);
    if (load.size >= STATE_SIZE_TO_WOBBLE) {
        take_setting(state.bank, image, BANK_AT, 0, BANK_COUNT - 1);
        take_setting(state.wobble, image, WOBBLE_AT, 0, WOBBLE_LEVELS - 1);
    }
    if (load.size >= STATE_IMAGE_SIZE) {
        take_setting(state.echo, image, ECHO_AT, 0, EFFECT_LEVELS - 1);
        take_setting(state.space, image, SPACE_AT, 0, EFFECT_LEVELS - 1);
    }
    return load;
}

void state_image(const AppState& state, uint8_t image[STATE_IMAGE_SIZE])
{
    std::memcpy(image, state.grid, GRID_BYTES);
    put_le32(image + PACE_AT, static_cast<uint32_t>(state.pace.load()));
    put_le32(image + VOICE_AT, static_cast<uint32_t>(state.voice.load()));
    put_le32(image + BANK_AT, static_cast<uint32_t>(state.bank.load()));
    put_le32(image + WOBBLE_AT, static_cast<uint32_t>(state.wobble.load()));
    put_le32(image + ECHO_AT, static_cast<uint32_t>(state.echo.load()));
    put_le32(image + SPACE_AT, static_cast<uint32_t>(state.space.load()));
}

// How many names a file that could not be loaded may be kept under:
// path.unreadable, then .1 to .99.
constexpr int UNLOADED_NAMES = 100;

// Renames what stands at path to the first free name of path.unreadable,
// path.unreadable.1, ..., so that nothing earlier is replaced.  Whether a
// name is free is asked of the name itself, a dangling link included.
static bool keep_aside(const char* path)
{
    for (int n = 0; n < UNLOADED_NAMES; n++) {
        char kept[STATE_PATH_SIZE + sizeof UNLOADED_SUFFIX + 4];
        if (n == 0)
            std::snprintf(kept, sizeof kept, "%s%s", path, UNLOADED_SUFFIX);
        else
            std::snprintf(kept, sizeof kept, "%s%s.%d", path, UNLOADED_SUFFIX, n);
        if (faccessat(AT_FDCWD, kept, F_OK, AT_SYMLINK_NOFOLLOW) == 0) continue;
        if (errno != ENOENT) return false;
        return std::rename(path, kept) == 0 || errno == ENOENT;  // gone already: nothing to keep
    }
    errno = EEXIST;  // every name taken
    return false;
}

bool save_state(AppState& state)
{
    if (state.state_path[0] == '\0') {
        errno = ENAMETOOLONG;
        return false;
    }
    if (state.keep_unloaded) {
        if (!keep_aside(state.state_path)) return false;
        state.keep_unloaded = 0;
    }

    uint8_t image[STATE_IMAGE_SIZE];
    state_image(state, image);

    // The old file is replaced only by an image that has reached the disk.
    DurableFile out;
    if (!durable_open(out, state.state_path)) return false;
    bool written = std::fwrite(image, sizeof image, 1, out.file) == 1;
    return durable_close(out, written);
}

void mark_dirty(AppState& state, int32_t now)
{
    state.dirty = 1;
    state.save_due = ticks_after(now, SAVE_DELAY_MS);
}

SaveResult save_if_due(AppState& state, int32_t now)
{
    if (!state.dirty || !deadline_passed(state.save_due, now)) return SAVE_NOT_DUE;
    bool written = save_state(state);
    state.dirty = 0;  // a failed save waits for the next change or shutdown
    return written ? SAVE_WRITTEN : SAVE_FAILED;
}
