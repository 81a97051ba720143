// The nine instruments' sound: envelope times, tone filter and output gain.
#pragma once

#include "app/core/settings.h"

#include <type_traits>
#include <utility>

// The waveform of each instrument is in wave<C> (voices.h); its name in
// INSTRUMENT_NAMES.  Every table is indexed by instrument number, bank * 3 + voice.

// Each table has a row per bank.
// clang-format off

// Seconds for an attack from 0 to a peak of 1.
inline constexpr double ATTACK_TIME[INSTRUMENT_COUNT] = {
    0.006, 0.003, 0.004,
    0.005, 0.004, 0.0025,
    0.008, 0.006, 0.003,
};

// Factor applied to the envelope once per sample during the release.
inline constexpr double RELEASE_MULT[INSTRUMENT_COUNT] = {
    0.99935, 0.99962, 0.99918,
    0.99912, 0.99892, 0.99928,
    0.99952, 0.99942, 0.99968,
};

// One-pole low-pass coefficient of the output tone filter.
inline constexpr double TONE_COEF[INSTRUMENT_COUNT] = {
    0.42, 0.58, 0.36,
    0.34, 0.4,  0.56,
    0.3,  0.44, 0.54,
};

inline constexpr double OUT_GAIN[INSTRUMENT_COUNT] = {
    0.84, 0.96, 1.02,
    0.58, 0.98, 1.0,
    0.62, 0.86, 0.98,
};

// clang-format on

// Calls body with the instrument number c as a compile-time constant, a
// std::integral_constant<int, C>, so that the code body instantiates runs
// with instrument C's constants folded in.  The one place where a number
// becomes an instrument: c outside 0..INSTRUMENT_COUNT-1 calls nothing.
template <typename Body>
inline void with_instrument(int c, Body&& body)
{
    [&]<int... C>(std::integer_sequence<int, C...>)
    {
        bool called = ((c == C && (body(std::integral_constant<int, C>{}), true)) || ...);
        (void)called;
    }
    (std::make_integer_sequence<int, INSTRUMENT_COUNT>{});
}
