// Two doubles worked side by side, for the voices' waveforms: one vector
// register on processors with double-precision vectors, a pair of ordinary
// registers on the others.  Every lane rounds exactly as a lone double would.
#pragma once

#include <cmath>
#include <cstdint>

// GCC's generic vectors (also understood by Clang): arithmetic, comparisons
// and a scalar operand apply lane by lane.  A comparison gives all ones or
// all zeros per lane.
using Lanes = double __attribute__((vector_size(16)));
using LaneMask = int64_t __attribute__((vector_size(16)));

constexpr int LANE_COUNT = 2;

// The same few operations for a lone double and for Lanes, so that a formula
// written once serves both.
inline double pick(bool when, double then, double otherwise) { return when ? then : otherwise; }
inline Lanes pick(LaneMask when, Lanes then, Lanes otherwise) { return when ? then : otherwise; }

// value where the mask is set, +0 elsewhere.
inline double only(bool when, double value) { return when ? value : 0.0; }
inline Lanes only(LaneMask when, Lanes value)
{
    return reinterpret_cast<Lanes>(when & reinterpret_cast<LaneMask>(value));
}

// Whether the condition holds anywhere, or everywhere.
inline bool any(bool when) { return when; }
inline bool any(LaneMask when) { return (when[0] | when[1]) != 0; }
inline bool all(bool when) { return when; }
inline bool all(LaneMask when) { return (when[0] & when[1]) != 0; }

inline double larger(double a, double b) { return a > b ? a : b; }
inline Lanes larger(Lanes a, Lanes b) { return a > b ? a : b; }

inline double magnitude(double x) { return std::fabs(x); }
inline Lanes magnitude(Lanes x)
{
    constexpr int64_t ALL_BUT_SIGN = INT64_MAX;
    return reinterpret_cast<Lanes>(reinterpret_cast<LaneMask>(x) & ALL_BUT_SIGN);
}

// The magnitude of size (not negative) with the sign of sign.
inline double copy_sign(double size, double sign) { return std::copysign(size, sign); }
inline Lanes copy_sign(Lanes size, Lanes sign)
{
    constexpr int64_t SIGN = INT64_MIN;
    return reinterpret_cast<Lanes>(reinterpret_cast<LaneMask>(size) |
                                   (reinterpret_cast<LaneMask>(sign) & SIGN));
}

inline Lanes load_lanes(const double* from) { return Lanes{from[0], from[1]}; }
inline void store_lanes(double* to, Lanes value)
{
    to[0] = value[0];
    to[1] = value[1];
}
