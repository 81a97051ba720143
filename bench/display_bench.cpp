// Time to draw one frame of each screen with SDL's software renderer on a
// 640 x 480 canvas, next to the 16.7 ms of a 60 Hz frame.
#include "display/canvas.h"
#include "display/canvas_size.h"
#include "display/grid_screen.h"
#include "display/guide_screen.h"
#include "display/picker_screen.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>

constexpr double FRAME_BUDGET_SECONDS = 1.0 / 60.0;

using Clock = std::chrono::steady_clock;

// "frame_pct": one drawn frame, in wall-clock time, as a percentage of the
// 60 Hz frame budget.
static void report_frame_share(benchmark::State& st, Clock::time_point start)
{
    std::chrono::duration<double> elapsed = Clock::now() - start;
    double per_frame = elapsed.count() / static_cast<double>(st.iterations());
    st.counters["frame_pct"] = 100.0 * per_frame / FRAME_BUDGET_SECONDS;
}

static bool open_canvas(benchmark::State& st, Canvas& canvas)
{
    if (canvas_open(canvas)) return true;
    st.SkipWithError(SDL_GetError());
    return false;
}

static void BM_PickerFrame(benchmark::State& st)
{
    Canvas canvas;
    if (!open_canvas(st, canvas)) return;
    static AppState state;
    state.bank.store(1);
    uint32_t now = 1000;
    Clock::time_point start = Clock::now();
    for (auto _ : st) {
        draw_picker_screen(canvas.renderer, state, now++);
        SDL_RenderFlush(canvas.renderer);
    }
    report_frame_share(st, start);
    canvas_close(canvas);
}
BENCHMARK(BM_PickerFrame)->UseRealTime();

static void BM_GuideFrame(benchmark::State& st)
{
    Canvas canvas;
    if (!open_canvas(st, canvas)) return;
    Clock::time_point start = Clock::now();
    for (auto _ : st) {
        draw_guide_screen(canvas.renderer);
        SDL_RenderFlush(canvas.renderer);
    }
    report_frame_share(st, start);
    canvas_close(canvas);
}
BENCHMARK(BM_GuideFrame)->UseRealTime();

// The busiest grid: every cell lit and swaying, eight fresh flashes, the
// playhead and a message.
static void BM_GridFrame(benchmark::State& st)
{
    Canvas canvas;
    if (!open_canvas(st, canvas)) return;
    static AppState state;
    std::memset(state.grid, 1, sizeof state.grid);
    state.wobble.store(2);
    state.step.store(6);
    state.step_pos.store(3000.0);
    std::snprintf(state.message, sizeof state.message, "ECHO 3");
    int32_t now = 1000;
    state.message_until = now + 1000000;
    Clock::time_point start = Clock::now();
    for (auto _ : st) {
        for (int r = 0; r < GRID_ROWS; r++) state.flash[r][6].store(1.0f);
        draw_grid_screen(canvas.renderer, state, now++);
        SDL_RenderFlush(canvas.renderer);
    }
    report_frame_share(st, start);
    canvas_close(canvas);
}
BENCHMARK(BM_GridFrame)->UseRealTime();
