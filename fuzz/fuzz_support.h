// What the fuzzers share: a failed check, reading an input byte by byte, and
// a fresh state record that keeps its effect buffers.
#pragma once

#include "app/core/app_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

inline void check(bool holds, const char* what)
{
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    abort();
}

inline bool within(int32_t value, int32_t lo, int32_t hi) { return value >= lo && value <= hi; }

// Every setting of the song within its range.
inline void check_settings(const AppState& state)
{
    check(within(state.pace.load(), PACE_MIN, PACE_MAX), "pace in range");
    check(within(state.bank.load(), 0, BANK_COUNT - 1), "bank in range");
    check(within(state.voice.load(), 0, VOICES_PER_BANK - 1), "voice in range");
    check(within(state.wobble.load(), 0, WOBBLE_LEVELS - 1), "wobble in range");
    check(within(state.echo.load(), 0, EFFECT_LEVELS - 1), "echo in range");
    check(within(state.space.load(), 0, EFFECT_LEVELS - 1), "space in range");
}

// Reads the input a byte at a time; zeros once it runs out.
struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool left() const { return at < size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
    int16_t next16() { return static_cast<int16_t>(next() | next() << 8); }
};

// A record for the whole run, with its effect buffers.
inline AppState* make_state()
{
    AppState* state = new AppState();
    if (!allocate_buffers(*state)) abort();
    return state;
}

// Puts every field back to its start value and zero-fills the buffers, which
// stay allocated from one input to the next.
inline void reset_state(AppState& state)
{
    float* delay = state.delay_line;
    float* comb_a = state.comb_a;
    float* comb_b = state.comb_b;
    std::memset(delay, 0, sizeof(float) * DELAY_LENGTH);
    std::memset(comb_a, 0, sizeof(float) * COMB_A_LENGTH);
    std::memset(comb_b, 0, sizeof(float) * COMB_B_LENGTH);
    state.~AppState();
    new (&state) AppState();
    state.delay_line = delay;
    state.comb_a = comb_a;
    state.comb_b = comb_b;
}
