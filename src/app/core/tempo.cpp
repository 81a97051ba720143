// Step lengths: a sixteenth note at the pace, loosened by wobble in each bank's way.
#include "app/core/tempo.h"

// Timing offsets of the wobble setting, by step.
static constexpr double WOBBLE_OFFSETS[8] = {0.0, 0.018, -0.012, 0.008, -0.02, 0.014, -0.006, 0.01};
// Swing of bank 1: odd steps shorter, even steps longer.
static constexpr double SWING_OFFSETS[2] = {-0.035, 0.035};
static constexpr double BANK2_WOBBLE_SCALE = 0.72;
// How far wobble pushes the offsets, at wobble 1 and 2.
static constexpr double WOBBLE_AMOUNT_LITTLE = 2.8;
static constexpr double WOBBLE_AMOUNT_VERY = 4.2;

static double wobble_factor(int32_t step, int32_t bank, int32_t wobble)
{
    if (wobble == 0) return 1.0;
    double amount = wobble == 1 ? WOBBLE_AMOUNT_LITTLE : WOBBLE_AMOUNT_VERY;
    switch (bank) {
    case 0: return 1.0 + amount * WOBBLE_OFFSETS[(step + 1) % 8];
    case 1: return 1.0 + amount * SWING_OFFSETS[step % 2 == 0 ? 1 : 0];
    default: return 1.0 + BANK2_WOBBLE_SCALE * (amount * WOBBLE_OFFSETS[(3 * (step + 1)) % 8]);
    }
}

double step_length(const AppState& state)
{
    double pace = static_cast<double>(state.pace.load());
    double base = static_cast<double>(SAMPLES_PER_MINUTE) / (pace * STEPS_PER_BEAT);
    return wobble_factor(state.step.load(), state.bank.load(), state.wobble.load()) * base;
}
