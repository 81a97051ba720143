// Fuzzes the audio callback with random songs, settings and changes between
// buffers: no sample may exceed the output peak, none may differ by more
// than one unit from the plain transcription of the engine fed the same
// changes, and no NaN or infinity may reach the output or the engine's
// memories.
#include "fuzz_support.h"
#include "reference_engine.h"

#include "sound/audio.h"
#include "sound/audition.h"
#include "sound/effects.h"
#include "sound/step_clock.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

AppState* state;                   // one engine for the process, reset for each input
reference::Engine* model;          // and its plain transcription, fed the same changes
long compared = 0, one_apart = 0;  // samples over the whole run

void report_counts()
{
    std::fprintf(
        stderr,
        "audio fuzz: %ld samples compared with the plain transcription, %ld one unit apart\n",
        compared, one_apart);
}

void render(int frames)
{
    static Uint8 buffer[4 * 2048];
    static int16_t expected[2 * 2048];
    int len = frames * 4;
    audio_callback(state, buffer, len);
    reference::render(*model, expected, frames);
    for (int i = 0; i + 1 < len; i += 2) {
        int16_t sample = static_cast<int16_t>(buffer[i] | buffer[i + 1] << 8);
        check(sample >= -OUTPUT_PEAK && sample <= OUTPUT_PEAK, "sample within the output peak");
        check(std::abs(sample - expected[i / 2]) <= 1,
              "sample within one unit of the plain transcription");
        compared++;
        one_apart += sample != expected[i / 2];
    }
}

// The clock runs on the grid screen while not resting.
void follow_clock()
{
    model->on_grid = state->screen.load() == SCREEN_GRID && state->resting.load() == 0;
}

void check_memories()
{
    for (int r = 0; r < GRID_ROWS; r++) {
        check(std::isfinite(state->env[r]) && std::isfinite(state->phase[r]), "voice state finite");
        check(state->phase[r] >= 0.0 && state->phase[r] < 1.0, "phase in 0..1");
    }
    check(std::isfinite(state->tone_state) && std::isfinite(state->dc_out) &&
              std::isfinite(state->dc_prev) && std::isfinite(limiter_env),
          "filter memories finite");
    check(std::isfinite(state->echo_mix) && std::isfinite(state->space_mix),
          "return levels finite");
    for (int i = 0; i < DELAY_LENGTH; i++)
        check(std::isfinite(state->delay_line[i]), "echo line finite");
    for (int i = 0; i < COMB_A_LENGTH; i++) check(std::isfinite(state->comb_a[i]), "comb A finite");
    for (int i = 0; i < COMB_B_LENGTH; i++) check(std::isfinite(state->comb_b[i]), "comb B finite");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    state = make_state();
    model = new reference::Engine();
    std::atexit(report_counts);
    return 0;
}

// Input: 16 bytes of grid bits, then commands of two bytes each.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    reset_state(*state);
    limiter_env = 0.0;
    *model = reference::Engine();
    Bytes in{data, size};
    for (int r = 0; r < GRID_ROWS; r++) {
        uint16_t bits = static_cast<uint16_t>(in.next() | in.next() << 8);
        for (int c = 0; c < GRID_COLS; c++) model->grid[r][c] = state->grid[r][c] = (bits >> c) & 1;
    }
    state->screen.store(SCREEN_GRID);
    follow_clock();

    int rendered = 0;
    while (in.left() && rendered < SAMPLE_RATE * 4) {
        uint8_t command = in.next();
        uint8_t value = in.next();
        switch (command % 12) {
        case 0:
            state->pace.store(model->pace = PACE_MIN + value % (PACE_MAX - PACE_MIN + 1));
            break;
        case 1: state->bank.store(model->bank = value % BANK_COUNT); break;
        case 2: state->voice.store(model->voice = value % VOICES_PER_BANK); break;
        case 3: state->wobble.store(model->wobble = value % WOBBLE_LEVELS); break;
        case 4: state->echo.store(model->echo = value % EFFECT_LEVELS); break;
        case 5: state->space.store(model->space = value % EFFECT_LEVELS); break;
        case 6:
            state->resting.store(value & 1);
            follow_clock();
            break;
        case 7:
            state->screen.store(value % 3);
            follow_clock();
            break;
        case 8: {
            int row = value % GRID_ROWS, col = (value / GRID_ROWS) % GRID_COLS;
            state->grid[row][col] ^= 1;
            model->grid[row][col] ^= 1;
            break;
        }
        case 9: {
            double peak = 0.72 + (value % 56) / 100.0;  // the range triggers produce
            double pitch_mul = value & 0x80 ? 2.0 : 1.0;
            start_voice(*state, value % GRID_ROWS, peak, pitch_mul);
            reference::start(*model, value % GRID_ROWS, peak, pitch_mul);
            break;
        }
        default: {
            int frames = 1 + value * 8;  // up to 2041 frames, odd sizes included
            render(frames);
            rendered += frames;
        }
        }
    }
    render(512);
    check_memories();
    return 0;
}
