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

#include "app/core/ticks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

static const char STATE_FILE_NAME[] = "/plim.state";
constexpr int TEMP_PATH_SIZE = 1060;
constexpr int GRID_BYTES = GRID_ROWS * GRID_COLS;

static bool is_directory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool make_song_directory(const char* dir)
{
    struct stat info;
    if (stat(dir, &info) == 0) return S_ISDIR(info.st_mode);
    char path[STATE_PATH_SIZE];
    int length = std::snprintf(path, sizeof path, "%s", dir);
    if (length <= 0 || length >= STATE_PATH_SIZE) return false;
    // Each parent in turn, then dir itself; one that is already there is fine.
    for (int end = 1; end <= length; end++) {
        if (path[end] != '/' && path[end] != '\0') continue;
        char kept = path[end];
        path[end] = '\0';
        bool made = mkdir(path, 0777) == 0 || errno == EEXIST;
        path[end] = kept;
        if (!made) return false;
    }
    return is_directory(dir);
}

bool format_state_path(AppState& state, const char* dir)
{
    int length = std::snprintf(state.state_path, sizeof state.state_path, "%s%s", dir,
                               STATE_FILE_NAME);
    if (length >= 0 && length < STATE_PATH_SIZE) return true;
    state.state_path[0] = '\0';
    return false;
}

static uint32_t read_u32(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

static void write_u32(uint8_t* bytes, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    bytes[0] = static_cast<uint8_t>(v);
    bytes[1] = static_cast<uint8_t>(v >> 8);
    bytes[2] = static_cast<uint8_t>(v >> 16);
    bytes[3] = static_cast<uint8_t>(v >> 24);
}

// Takes the stored value at offset only if it lies in lo..hi; a negative
// value, read unsigned, never does.
static void take_setting(Relaxed<int32_t>& setting, const uint8_t* image, int offset, uint32_t lo,
                         uint32_t hi)
{
    uint32_t value = read_u32(image + offset);
    if (value >= lo && value <= hi) setting.store(static_cast<int32_t>(value));
}

void load_state(AppState& state)
{
    if (state.state_path[0] == '\0') return;
    FILE* file = std::fopen(state.state_path, "rb");
    if (!file) return;

    uint8_t image[STATE_IMAGE_SIZE];
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    bool known_size = size == 136 || size == 144 || size == STATE_IMAGE_SIZE;
    bool complete = known_size && std::fread(image, static_cast<size_t>(size), 1, file) == 1;
    std::fclose(file);
    if (!complete) return;

    std::memcpy(state.grid, image, GRID_BYTES);  // bytes kept as they stand: nonzero is lit
    take_setting(state.pace, image, 128, 60, 180);
    take_setting(state.voice, image, 132, 0, 2);
    if (size >= 144) {
        take_setting(state.bank, image, 136, 0, 2);
        take_setting(state.wobble, image, 140, 0, 2);
    }
    if (size >= 152) {
        take_setting(state.echo, image, 144, 0, 3);
        take_setting(state.space, image, 148, 0, 3);
    }
}

// After a rename the directory entry itself must reach the disk too.
static void sync_directory(const char* state_path)
{
    char dir[STATE_PATH_SIZE];
    size_t length = std::strlen(state_path) - (sizeof STATE_FILE_NAME - 1);
    if (length == 0) {
        std::snprintf(dir, sizeof dir, "/");
    } else {
        std::memcpy(dir, state_path, length);
        dir[length] = '\0';
    }
    int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

void state_image(const AppState& state, uint8_t image[STATE_IMAGE_SIZE])
{
    std::memcpy(image, state.grid, GRID_BYTES);
    write_u32(image + 128, state.pace.load());
    write_u32(image + 132, state.voice.load());
    write_u32(image + 136, state.bank.load());
    write_u32(image + 140, state.wobble.load());
    write_u32(image + 144, state.echo.load());
    write_u32(image + 148, state.space.load());
}

bool save_state(const AppState& state)
{
    if (state.state_path[0] == '\0') return false;

    uint8_t image[STATE_IMAGE_SIZE];
    state_image(state, image);

    char temp_path[TEMP_PATH_SIZE];
    std::snprintf(temp_path, sizeof temp_path, "%s.tmp", state.state_path);
    FILE* file = std::fopen(temp_path, "wb");
    if (!file) return false;

    // The old file is replaced only by an image that has reached the disk.
    bool written = std::fwrite(image, sizeof image, 1, file) == 1;
    written = written && std::fflush(file) == 0;
    written = written && fsync(fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temp_path, state.state_path) != 0) {
        std::remove(temp_path);
        return false;
    }
    sync_directory(state.state_path);
    return true;
}

void mark_dirty(AppState& state, int32_t now)
{
    state.dirty = 1;
    state.save_due = ticks_after(now, SAVE_DELAY_MS);
}

void save_if_due(AppState& state, int32_t now)
{
    if (!state.dirty || !deadline_passed(state.save_due, now)) return;
    save_state(state);
    state.dirty = 0;  // a failed save waits for the next change or shutdown
}
