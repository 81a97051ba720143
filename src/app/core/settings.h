// The six settings of a song: their ranges, steps and start values, and the
// names of the banks and instruments.  Every part that checks, changes, shows
// or stores a setting takes its limits from here.
#pragma once

#include <cstdint>

// Pace: sixteenth notes at `pace` beats per minute.
constexpr int32_t PACE_MIN = 60;
constexpr int32_t PACE_MAX = 180;
constexpr int32_t PACE_STEP = 4;  // one press of L1 or R1
constexpr int32_t START_PACE = 108;

constexpr int BANK_COUNT = 3;
constexpr int VOICES_PER_BANK = 3;
constexpr int INSTRUMENT_COUNT = BANK_COUNT * VOICES_PER_BANK;
constexpr int WOBBLE_LEVELS = 3;  // steady, a little wonky, very wonky
constexpr int EFFECT_LEVELS = 4;  // echo and space each run 0..EFFECT_LEVELS-1

inline constexpr const char* BANK_NAMES[BANK_COUNT] = {
    "RAIN GLASS",
    "POCKET CIRCUIT",
    "NIGHT WINDOW",
};

// Indexed by instrument number, bank * 3 + voice: a row per bank.
// clang-format off
inline constexpr const char* INSTRUMENT_NAMES[INSTRUMENT_COUNT] = {
    "SOFT MALLET",  "GLASS BELL", "MUTED PLUCK",
    "ROUND LEAD",   "TRI BASS",   "SPARKLE",
    "VELVET PULSE", "HOLLOW KEY", "METAL CHIME",
};
// clang-format on

inline int instrument_number(int bank, int voice) { return bank * VOICES_PER_BANK + voice; }
