// Fuzzes the song loader with arbitrary file contents and sizes: it must never
// crash, every setting must be in range afterwards, and what it loaded must
// save and load back unchanged.
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

static void check_ranges(const AppState& state)
{
    int32_t pace = state.pace.load();
    check(pace >= 60 && pace <= 180, "pace in 60..180");
    check(state.voice.load() >= 0 && state.voice.load() <= 2, "voice in 0..2");
    check(state.bank.load() >= 0 && state.bank.load() <= 2, "bank in 0..2");
    check(state.wobble.load() >= 0 && state.wobble.load() <= 2, "wobble in 0..2");
    check(state.echo.load() >= 0 && state.echo.load() <= 3, "echo in 0..3");
    check(state.space.load() >= 0 && state.space.load() <= 3, "space in 0..3");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AppState state;
    if (!format_state_path(state, song_dir)) abort();
    FILE* file = std::fopen(state.state_path, "wb");
    if (!file) abort();
    if (size > 0 && std::fwrite(data, size, 1, file) != 1) abort();
    std::fclose(file);

    load_state(state);
    check_ranges(state);
    bool understood = size == 136 || size == 144 || size == 152;
    if (understood) check(std::memcmp(state.grid, data, 128) == 0, "grid bytes kept as they stand");

    check(save_state(state), "the loaded song saves");
    AppState again;
    std::memcpy(again.state_path, state.state_path, sizeof again.state_path);
    load_state(again);
    check(std::memcmp(again.grid, state.grid, sizeof state.grid) == 0, "grid round trip");
    check(again.pace.load() == state.pace.load() && again.voice.load() == state.voice.load() &&
              again.bank.load() == state.bank.load() && again.wobble.load() == state.wobble.load() &&
              again.echo.load() == state.echo.load() && again.space.load() == state.space.load(),
          "settings round trip");
    return 0;
}
