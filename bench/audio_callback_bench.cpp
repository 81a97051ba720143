// Cost of the audio callback per stereo frame: an idle engine, and every cell
// lit with the heaviest settings under each of the nine instruments.
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

// Times each buffer with the thread's CPU clock and reports ns per stereo
// frame and the real-time factor (20833 ns / ns per frame).
static void run_callback(benchmark::State& bench, Engine& engine)
{
    double total_ns = 0.0;
    for (auto _ : bench) {
        timespec start, end;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
        audio_callback(&engine.state, engine.buffer, sizeof engine.buffer);
        benchmark::DoNotOptimize(engine.buffer);
        benchmark::ClobberMemory();
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
        double ns = (end.tv_sec - start.tv_sec) * 1e9 + (end.tv_nsec - start.tv_nsec);
        bench.SetIterationTime(ns * 1e-9);
        total_ns += ns;
    }
    double frames = static_cast<double>(bench.iterations()) * BUFFER_FRAMES;
    double ns_per_frame = total_ns / frames;
    bench.counters["ns_per_frame"] = ns_per_frame;
    bench.counters["real_time_x"] = NS_PER_FRAME_REAL_TIME / ns_per_frame;
}

static void BM_callback_idle(benchmark::State& bench)
{
    Engine engine;
    limiter_env = 0.0;
    engine.state.screen.store(SCREEN_GRID);
    run_callback(bench, engine);
}
BENCHMARK(BM_callback_idle)->UseManualTime();

static void BM_callback_busy(benchmark::State& bench)
{
    Engine engine;
    limiter_env = 0.0;
    AppState& state = engine.state;
    int instrument = static_cast<int>(bench.range(0));
    for (auto& row : state.grid)
        for (auto& cell : row) cell = 1;
    state.bank.store(instrument / VOICES_PER_BANK);
    state.voice.store(instrument % VOICES_PER_BANK);
    state.wobble.store(2);
    state.echo.store(3);
    state.space.store(3);
    state.screen.store(SCREEN_GRID);
    for (int i = 0; i < WARM_UP_BUFFERS; i++)
        audio_callback(&state, engine.buffer, sizeof engine.buffer);
    bench.SetLabel(INSTRUMENT_NAMES[instrument]);
    run_callback(bench, engine);
}
BENCHMARK(BM_callback_busy)->DenseRange(0, INSTRUMENT_COUNT - 1)->UseManualTime();
