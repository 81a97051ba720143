// Fuzzes the song loader with arbitrary file contents and sizes: it must never
// crash, must say what the file is, every setting must be in range
// afterwards, what it loaded must save and load back unchanged, and a file
// it could not load must be kept whole beside the saved song.
#include "fuzz_support.h"

#include "app/core/state_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

static char song_dir[64];

static void remove_song_dir()
{
    char path[128];
    std::snprintf(path, sizeof path, "%s/plim.state", song_dir);
    std::remove(path);
    std::snprintf(path, sizeof path, "%s/plim.state.tmp", song_dir);
    std::remove(path);
    std::snprintf(path, sizeof path, "%s/plim.state%s", song_dir, UNLOADED_SUFFIX);
    std::remove(path);
    rmdir(song_dir);
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Memory-backed when possible: every input is saved, synced and renamed.
    std::snprintf(song_dir, sizeof song_dir, "/dev/shm/plim-fuzz-XXXXXX");
    if (!mkdtemp(song_dir)) {
        std::snprintf(song_dir, sizeof song_dir, "/tmp/plim-fuzz-XXXXXX");
        if (!mkdtemp(song_dir)) abort();
    }
    atexit(remove_song_dir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AppState state;
    if (!format_state_path(state, song_dir)) abort();
    FILE* file = std::fopen(state.state_path, "wb");
    if (!file) abort();
    if (size > 0 && std::fwrite(data, size, 1, file) != 1) abort();
    std::fclose(file);

    StateLoad load = load_state(state);
    bool accepted = is_state_file_size(static_cast<long>(size));
    check(load.status == (accepted ? LOAD_DONE : LOAD_BAD_SIZE) &&
              load.size == static_cast<long>(size),
          "the load says what the file is");
    check_settings(state);
    if (accepted)
        check(std::memcmp(state.grid, data, sizeof state.grid) == 0,
              "grid bytes kept as they stand");

    check(save_state(state), "the loaded song saves");
    if (!accepted && size > 0) {
        char kept_path[sizeof state.state_path + sizeof UNLOADED_SUFFIX];
        std::snprintf(kept_path, sizeof kept_path, "%s%s", state.state_path, UNLOADED_SUFFIX);
        FILE* kept = std::fopen(kept_path, "rb");
        check(kept != nullptr, "a file the load did not take is kept");
        static uint8_t bytes[1 << 20];
        size_t got = std::fread(bytes, 1, sizeof bytes, kept);
        std::fclose(kept);
        check(got == size && std::memcmp(bytes, data, size) == 0, "the kept file is whole");
        std::remove(kept_path);
    }
    AppState again;
    std::memcpy(again.state_path, state.state_path, sizeof again.state_path);
    load_state(again);
    check(std::memcmp(again.grid, state.grid, sizeof state.grid) == 0, "grid round trip");
    check(again.pace.load() == state.pace.load() && again.voice.load() == state.voice.load() &&
              again.bank.load() == state.bank.load() &&
              again.wobble.load() == state.wobble.load() &&
              again.echo.load() == state.echo.load() && again.space.load() == state.space.load(),
          "settings round trip");
    return 0;
}
