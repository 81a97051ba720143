// The one record shared by the frame loop (main thread) and the audio callback.
#pragma once

#include "app/core/settings.h"

#include <SDL.h>

#include <atomic>
#include <cstdint>

constexpr int GRID_ROWS = 8;
constexpr int GRID_COLS = 16;
constexpr int SAMPLE_RATE = 48000;

constexpr int DELAY_LENGTH = 2 * SAMPLE_RATE;  // echo line, two seconds
constexpr int COMB_A_LENGTH = 3557;
constexpr int COMB_B_LENGTH = 4217;

constexpr int MESSAGE_SIZE = 64;
constexpr int STATE_PATH_SIZE = 1024;

constexpr int32_t START_STEP = 15;  // the first advance lands on step 0

enum Screen : int32_t {
    SCREEN_PICKER = 0,
    SCREEN_GUIDE = 1,
    SCREEN_GRID = 2,
};

// A value that one thread writes while the other reads it without the audio
// lock.  Relaxed ordering is enough: a reader needs the old or the new value,
// never a consistent view of several fields.
template <typename T>
struct Relaxed {
    std::atomic<T> value;

    T load() const { return value.load(std::memory_order_relaxed); }
    void store(T v) { value.store(v, std::memory_order_relaxed); }
};

// Lock rules, for the main thread once the audio device is open:
//  - grid, gate and the voice and effect state: written only while holding
//    SDL_LockAudioDevice(audio_device); the callback runs under that lock.
//  - Relaxed fields: written without the lock, read by the other thread.
//  - everything else belongs to one thread alone.
// Default member values are the start values.
struct AppState {
    uint8_t grid[GRID_ROWS][GRID_COLS] = {};  // nonzero = lit; row 0 is the top
    uint8_t gate[GRID_ROWS] = {};             // 1 while the voice's attack rises
    // Set to 1 by the clock, faded by the grid screen.
    Relaxed<float> flash[GRID_ROWS][GRID_COLS] = {};
    int32_t cursor_col = 0;             // 0..15
    int32_t cursor_row = 0;             // 0..7
    Relaxed<int32_t> step{START_STEP};  // 0..15, the step the playhead is on
    Relaxed<int32_t> resting{0};        // 1 while the step clock is halted

    // The persisted settings (with the grid, the song).
    Relaxed<int32_t> pace{START_PACE};  // PACE_MIN..PACE_MAX
    Relaxed<int32_t> bank{0};           // 0..BANK_COUNT-1
    Relaxed<int32_t> voice{0};          // 0..VOICES_PER_BANK-1; instrument = bank * 3 + voice
    Relaxed<int32_t> wobble{0};         // 0..WOBBLE_LEVELS-1
    Relaxed<int32_t> echo{0};           // 0..EFFECT_LEVELS-1
    Relaxed<int32_t> space{0};          // 0..EFFECT_LEVELS-1

    int32_t paint = 0;  // drag painting: +1 lights, -1 darkens, 0 off
    int32_t dirty = 0;  // a save is pending
    Relaxed<int32_t> screen{SCREEN_PICKER};
    int32_t preview_count = 0;  // audition notes already played, 0..3

    // Voice state, one entry per row.
    double phase[GRID_ROWS] = {};
    double env[GRID_ROWS] = {};
    double peak[GRID_ROWS] = {};
    double pitch_mul[GRID_ROWS] = {};

    Relaxed<double> step_pos{0.0};  // samples elapsed in the current step

    // Effect state.
    double tone_state = 0.0;
    double dc_out = 0.0;
    double dc_prev = 0.0;
    float echo_mix = 0.0f;        // audio thread only
    float space_mix = 0.0f;       // audio thread only
    float* delay_line = nullptr;  // DELAY_LENGTH floats
    float* comb_a = nullptr;      // COMB_A_LENGTH floats
    float* comb_b = nullptr;      // COMB_B_LENGTH floats
    int32_t delay_pos = 0;        // audio thread only
    int32_t comb_a_pos = 0;       // audio thread only
    int32_t comb_b_pos = 0;       // audio thread only

    // Main-thread timers, in SDL_GetTicks milliseconds.
    int32_t save_due = 0;
    int32_t message_until = 0;
    int32_t preview_due = 0;
    uint32_t logo_start = 0;

    char message[MESSAGE_SIZE] = {};
    char state_path[STATE_PATH_SIZE] = {};  // empty: the song is neither loaded nor saved
    int32_t keep_unloaded = 0;  // main thread: the file at state_path is kept before a save
    SDL_AudioDeviceID audio_device = 0;
};

// The record as start-up makes it, before the song is loaded: the start value
// of every field.  The resets take their values from here.
extern const AppState START_STATE;

// The three sample buffers, zero-filled.  False if any could not be had; then
// none is held.
bool allocate_buffers(AppState& state);
// Frees the buffers; the audio device must be closed first.
void free_buffers(AppState& state);
