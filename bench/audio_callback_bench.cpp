// Cost of the audio callback per stereo frame: an idle engine, and every cell
// lit with the heaviest settings under each of the nine instruments, timed
// buffer by buffer in turn with the plain transcription of the engine.
#include "reference_engine.h"
#include "sound/audio.h"
#include "sound/effects.h"
#include "sound/instruments.h"

#include <benchmark/benchmark.h>

#include <time.h>

constexpr int BUFFER_FRAMES = 512;
constexpr double NS_PER_FRAME_REAL_TIME = 1e9 / SAMPLE_RATE;  // 20833 ns
constexpr int WARM_UP_BUFFERS = 200;  // long enough for every voice to be ringing

struct Engine {
    AppState state;
    Uint8 buffer[BUFFER_FRAMES * 4];
    Engine() { allocate_buffers(state); }
    ~Engine() { free_buffers(state); }
};

static double thread_ns()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

// One timed buffer each; kept out of line so that an instruction counter
// (callgrind --toggle-collect=engine_buffer or =reference_buffer) sees
// exactly the timed work.
__attribute__((noinline)) void engine_buffer(Engine& engine)
{
    audio_callback(&engine.state, engine.buffer, sizeof engine.buffer);
    benchmark::DoNotOptimize(engine.buffer);
    benchmark::ClobberMemory();
}

__attribute__((noinline)) void reference_buffer(reference::Engine& model, int16_t* out)
{
    reference::render(model, out, BUFFER_FRAMES);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
}

// ns per stereo frame and the real-time factor (20833 ns / ns per frame).
static void BM_callback_idle(benchmark::State& bench)
{
    Engine engine;
    limiter_env = 0.0;
    engine.state.screen.store(SCREEN_GRID);
    double total_ns = 0.0;
    for (auto _ : bench) {
        double start = thread_ns();
        engine_buffer(engine);
        double ns = thread_ns() - start;
        bench.SetIterationTime(ns * 1e-9);
        total_ns += ns;
    }
    double ns_per_frame = total_ns / (static_cast<double>(bench.iterations()) * BUFFER_FRAMES);
    bench.counters["ns_per_frame"] = ns_per_frame;
    bench.counters["real_time_x"] = NS_PER_FRAME_REAL_TIME / ns_per_frame;
}
BENCHMARK(BM_callback_idle)->UseManualTime();

// Every cell lit, wobble 2, echo 3, space 3.  Each iteration renders one
// buffer with the engine and one with the plain transcription, each timed
// with the thread's CPU clock: "engine_ns" and "plain_ns" per stereo frame,
// "speedup" = plain_ns / engine_ns.  The iteration time is the engine's.
static void BM_callback_busy(benchmark::State& bench)
{
    Engine engine;
    AppState& state = engine.state;
    reference::Engine model;
    static int16_t model_out[BUFFER_FRAMES * 2];
    int instrument = static_cast<int>(bench.range(0));
    for (int row = 0; row < GRID_ROWS; row++)
        for (int col = 0; col < GRID_COLS; col++) state.grid[row][col] = model.grid[row][col] = 1;
    state.bank.store(model.bank = instrument / VOICES_PER_BANK);
    state.voice.store(model.voice = instrument % VOICES_PER_BANK);
    state.wobble.store(model.wobble = 2);
    state.echo.store(model.echo = 3);
    state.space.store(model.space = 3);
    state.screen.store(SCREEN_GRID);
    limiter_env = 0.0;
    for (int i = 0; i < WARM_UP_BUFFERS; i++) {
        audio_callback(&state, engine.buffer, sizeof engine.buffer);
        reference::render(model, model_out, BUFFER_FRAMES);
    }

    double engine_ns = 0.0, plain_ns = 0.0;
    for (auto _ : bench) {
        double start = thread_ns();
        engine_buffer(engine);
        double middle = thread_ns();
        reference_buffer(model, model_out);
        double end = thread_ns();
        bench.SetIterationTime((middle - start) * 1e-9);
        engine_ns += middle - start;
        plain_ns += end - middle;
    }
    double frames = static_cast<double>(bench.iterations()) * BUFFER_FRAMES;
    bench.SetLabel(INSTRUMENT_NAMES[instrument]);
    bench.counters["engine_ns"] = engine_ns / frames;
    bench.counters["plain_ns"] = plain_ns / frames;
    bench.counters["speedup"] = plain_ns / engine_ns;
    bench.counters["real_time_x"] = NS_PER_FRAME_REAL_TIME * frames / engine_ns;
}
BENCHMARK(BM_callback_busy)->DenseRange(0, INSTRUMENT_COUNT - 1)->UseManualTime();
