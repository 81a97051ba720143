// tanh for the soft clip: the C library's to about one unit in the last place
// on the range the limiter lets through, in a short polynomial.
#pragma once

#include "sound/lanes.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace fast_tanh_detail {

constexpr int SEGMENTS_PER_UNIT = 32;
constexpr int SEGMENTS = 43;  // middles 0 to 42/32
constexpr int DEGREE = 8;     // leaves under 2e-18 of the series out; fast_tanh is written for 8

// tanh at the middle of each segment, i / 32, rounded to nearest.
inline constexpr double MIDDLE_VALUE[SEGMENTS] = {
    0.0,
    0.031239831446031256,
    0.062418746747512514,
    0.09347630396922774,
    0.12435300177159621,
    0.1549907303716235,
    0.1853331999081395,
    0.21532633966578324,
    0.24491866240370913,
    0.2740615889607664,
    0.3027097293321085,
    0.330821117493628,
    0.35835739835078595,
    0.3852839662694723,
    0.41157005567402244,
    0.43718878514171233,
    0.46211715726000974,
    0.48633601722496234,
    0.5098299737352566,
    0.5325872861719194,
    0.5545997223493823,
    0.5758623912857893,
    0.5963735554792423,
    0.6161344271055263,
    0.6351489523872873,
    0.6534235881413468,
    0.6709670742068736,
    0.6877902051090852,
    0.703905603936621,
    0.7193275010198336,
    0.7340715196043415,
    0.7481544703297354,
    0.7615941559557649,
    0.7744091874342136,
    0.7866188121086977,
    0.7982427545398869,
    0.809301070201781,
    0.8198140120760964,
    0.8298019099859595,
    0.8392850623555859,
    0.8482836399575129,
    0.8568176011108951,
    0.8649066177207418,
};

struct Series {
    double coef[SEGMENTS][DEGREE + 1];
};

// Taylor series of tanh about each middle, in u = 32 x - i, from
// tanh' = 1 - tanh^2: with y = sum a_n h^n, (n + 1) a_(n+1) = [n = 0] - sum
// a_j a_(n-j).  Worked out by the compiler, the same on every processor.
constexpr Series make_series()
{
    Series series{};
    for (int i = 0; i < SEGMENTS; i++) {
        double a[DEGREE + 1] = {};
        a[0] = MIDDLE_VALUE[i];
        for (int n = 0; n < DEGREE; n++) {
            double square = 0.0;
            for (int j = 0; j <= n; j++) square += a[j] * a[n - j];
            a[n + 1] = ((n == 0 ? 1.0 : 0.0) - square) / (n + 1);
        }
        double scale = 1.0;  // (1/32)^n: exact
        for (int n = 0; n <= DEGREE; n++) {
            series.coef[i][n] = a[n] * scale;
            scale /= SEGMENTS_PER_UNIT;
        }
    }
    return series;
}

inline constexpr Series SERIES = make_series();

// Coefficient n of the series of the segment whose number is in the low bits
// of rounded (see fast_tanh); one per lane for Lanes.
inline double coefficient(double rounded, int n)
{
    uint64_t bits;
    std::memcpy(&bits, &rounded, sizeof bits);
    return SERIES.coef[bits & 63][n];  // segment 0 to 42
}

inline Lanes coefficient(Lanes rounded, int n)
{
    return Lanes{coefficient(rounded[0], n), coefficient(rounded[1], n)};
}

}  // namespace fast_tanh_detail

// fast_tanh works out |x| up to the last segment's middle itself; larger
// inputs go to the C library, whose last bits differ between platforms.
constexpr double FAST_TANH_REACH =
    static_cast<double>(fast_tanh_detail::SEGMENTS - 1) / fast_tanh_detail::SEGMENTS_PER_UNIT;

template <typename Num>
Num fast_tanh(Num x);

namespace fast_tanh_detail {

// Beyond the reach: the C library's tanh.  Two lanes go through fast_tanh
// one at a time, so that a lane within the reach keeps the short tanh.
inline double tanh_outside(double x) { return std::tanh(x); }
inline Lanes tanh_outside(Lanes x) { return Lanes{fast_tanh(x[0]), fast_tanh(x[1])}; }

}  // namespace fast_tanh_detail

// tanh(x), for a lone double or for Lanes (the left and right samples side
// by side; each lane comes out as it would alone).  For |x| up to the reach a
// Taylor polynomial of degree 8 about the nearest multiple of 1/32: within
// 2.2e-16 of the exact tanh there, and within 5e-16 relative (about 0 the
// series is odd and has no constant term).  Below 2^-27 tanh x rounds to x,
// which is returned as it is (silence costs little).  Larger inputs and NaN
// go to the C library.
template <typename Num>
inline Num fast_tanh(Num x)
{
    using namespace fast_tanh_detail;
    constexpr double TINY = 0x1p-27;
    Num size = magnitude(x);
    if (!all(size <= FAST_TANH_REACH)) return tanh_outside(x);
    if (!any(size >= TINY)) return x;
    // The nearest multiple of 1/32 and the rest, both exactly; the segment
    // number is in the low bits of the rounded value.
    constexpr double TO_INT = 6755399441055744.0;  // 1.5 x 2^52: adding it rounds to an integer
    Num scaled = size * SEGMENTS_PER_UNIT;
    Num rounded = scaled + TO_INT;
    Num u = scaled - (rounded - TO_INT);  // -0.5 to 0.5
    // Estrin's scheme: a short chain of dependent steps, as the sample loop
    // waits for it.
    Num u2 = u * u;
    Num u4 = u2 * u2;
    Num low = (coefficient(rounded, 0) + coefficient(rounded, 1) * u) +
              (coefficient(rounded, 2) + coefficient(rounded, 3) * u) * u2;
    Num high = (coefficient(rounded, 4) + coefficient(rounded, 5) * u) +
               (coefficient(rounded, 6) + coefficient(rounded, 7) * u) * u2;
    Num sum = low + (high + coefficient(rounded, 8) * u4) * u4;
    return pick(size < TINY, x, copy_sign(sum, x));
}
