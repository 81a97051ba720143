// The step clock: the end of each step, and the notes the next one starts.
#include "sound/step_clock.h"

#include "app/core/tempo.h"

// Accent depth: index 0 at wobble 2, index 1 at wobble 1.
static constexpr double ACCENT_AMOUNTS[2] = {0.34, 0.23};
static constexpr double ACCENT_BASE = 0.93;
static constexpr int32_t ACCENT_CYCLE =
    16;  // the accents' pattern repeats over this many positions
static constexpr double BANK0_DAMPING = 0.86;  // bank 0 softens the notes whose t is 5
static constexpr double OCTAVE_UP = 2.0;       // bank 1 at wobble 2, notes whose t is 0

// Below this level a restarted voice begins its cycle again at phase 0.
static constexpr double PHASE_RESET_LEVEL = 0.05;

void start_voice(AppState& state, int row, double peak, double pitch_mul)
{
    state.gate[row] = 1;
    if (state.env[row] < PHASE_RESET_LEVEL) state.phase[row] = 0.0;
    state.peak[row] = peak;
    state.pitch_mul[row] = pitch_mul;
}

// Wobble's accent of a note just started: a louder or softer peak by position,
// and per bank a damping, an octave jump or a bar-position scale.
static void accent_note(AppState& state, int row, int32_t step, int32_t bank, int32_t wobble)
{
    int32_t t = (5 * step + 7 * bank + 3 * row) % ACCENT_CYCLE;
    double amount = ACCENT_AMOUNTS[wobble == 1 ? 1 : 0];
    state.peak[row] = ACCENT_BASE + 0.5 * amount * static_cast<double>(t % 3);
    if (bank == 0) {
        if (t == 5) state.peak[row] *= BANK0_DAMPING;
    } else if (bank == 1) {
        if (wobble == 2 && t == 0) state.pitch_mul[row] = OCTAVE_UP;
    } else {
        state.peak[row] *= 0.92 + 0.025 * static_cast<double>(step % 4);
    }
}

// Starts every lit row of the step's column, top row first, and flashes its cell.
static void trigger_column(AppState& state, int32_t step)
{
    int32_t bank = state.bank.load();
    int32_t wobble = state.wobble.load();
    for (int row = 0; row < GRID_ROWS; row++) {
        if (state.grid[row][step] == 0) continue;
        start_voice(state, row, 1.0, 1.0);
        if (wobble != 0) accent_note(state, row, step, bank, wobble);
        state.flash[row][step].store(1.0f);
    }
}

NextTick next_tick(const AppState& state)
{
    NextTick next;
    next.pos = state.step_pos.load() + 1.0;
    next.length = step_length(state);
    next.ends_step = next.pos >= next.length;
    return next;
}

void clock_tick(AppState& state)
{
    NextTick next = next_tick(state);
    state.step_pos.store(next.pos);
    if (!next.ends_step) return;
    // The fraction past the step's end carries into the next step, so the
    // mean step length is exact.
    int32_t step = (state.step.load() + 1) % GRID_COLS;
    state.step.store(step);
    state.step_pos.store(next.pos - next.length);
    trigger_column(state, step);
}
