// The step clock: how long each of the 16 steps lasts.
#include "sound/audio.h"

// Timing offsets of the wobble setting, by step.
static constexpr double WOBBLE_OFFSETS[8] = {0.0, 0.018, -0.012, 0.008, -0.02, 0.014, -0.006, 0.01};
// Swing of bank 1: odd steps shorter, even steps longer.
static constexpr double SWING_OFFSETS[2] = {-0.035, 0.035};
static constexpr double BANK2_WOBBLE_SCALE = 0.72;

static double wobble_factor(int32_t step, int32_t bank, int32_t wobble)
{
    if (wobble == 0) return 1.0;
    double amount = wobble == 1 ? 2.8 : 4.2;
    switch (bank) {
    case 0: return 1.0 + amount * WOBBLE_OFFSETS[(step + 1) % 8];
    case 1: return 1.0 + amount * SWING_OFFSETS[step % 2 == 0 ? 1 : 0];
    default: return 1.0 + BANK2_WOBBLE_SCALE * (amount * WOBBLE_OFFSETS[(3 * (step + 1)) % 8]);
    }
}

double step_length(const AppState& state)
{
    // A sixteenth note at `pace` beats per minute: 2880000 / (pace * 4) samples.
    double base = 2880000.0 / (static_cast<double>(state.pace.load()) * 4.0);
    return wobble_factor(state.step.load(), state.bank.load(), state.wobble.load()) * base;
}
