// A fresh sound engine for tests, and helpers to run the audio callback on plain buffers.
#pragma once

#include "app/core/tempo.h"
#include "sound/audio.h"
#include "sound/audition.h"
#include "sound/effects.h"
#include "sound/step_clock.h"

#include <cstdint>
#include <vector>

// An AppState with its buffers, as start-up leaves it, and a limiter
// envelope back at 0.
struct Engine {
    AppState state;
    Engine()
    {
        allocate_buffers(state);
        limiter_env = 0.0;
    }
    ~Engine() { free_buffers(state); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
};

// Interleaved 16-bit samples, left first.
using Samples = std::vector<int16_t>;

// Runs the callback over `frames` frames in buffers of `buffer_frames`.
inline Samples render(AppState& state, int frames, int buffer_frames = 512)
{
    Samples out(static_cast<size_t>(frames) * 2);
    std::vector<Uint8> bytes(static_cast<size_t>(buffer_frames) * 4);
    for (int done = 0; done < frames;) {
        int chunk = frames - done < buffer_frames ? frames - done : buffer_frames;
        audio_callback(&state, bytes.data(), chunk * 4);
        for (int i = 0; i < chunk * 2; i++)
            out[static_cast<size_t>(done) * 2 + i] =
                static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        done += chunk;
    }
    return out;
}

inline void light_all(AppState& state)
{
    for (auto& row : state.grid)
        for (auto& cell : row) cell = 1;
}

inline void set_instrument(AppState& state, int instrument)
{
    state.bank.store(instrument / 3);
    state.voice.store(instrument % 3);
}

inline int peak_magnitude(const Samples& samples)
{
    int peak = 0;
    for (int16_t s : samples) peak = s < 0 ? (-s > peak ? -s : peak) : (s > peak ? s : peak);
    return peak;
}
