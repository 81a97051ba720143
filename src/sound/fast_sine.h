// Sine for the oscillators: the C library's sin to the last bit or so, inlined
// and without its general-case branches.
#pragma once

#include <cstdint>

// sin(x) for |x| up to about 1e6 (the oscillators use 0 to 12 pi).  The
// argument is reduced by pi/2 in two parts, exactly for the first; the
// remainder goes through the classic minimax kernels for sin and cos on
// [-pi/4, pi/4], with the reduction's rounding error carried as a correction.
// Both kernels run and the quadrant picks one, so there is no branch.  The
// result differs from the C library's sin by at most one unit in the last
// place (for about 3 values in 100): a 16-bit sample computed from it can
// differ by one unit only when it lies within about 1e-10 of a rounding
// boundary.
inline double fast_sine(double x)
{
    constexpr double TO_INT = 6755399441055744.0;  // 1.5 x 2^52: rounds to an integer
    constexpr double INV_PIO2 = 6.36619772367581382433e-01;
    constexpr double PIO2_HIGH = 1.57079632673412561417e+00;  // first 33 bits of pi/2
    constexpr double PIO2_LOW = 6.07710050650619224932e-11;   // pi/2 - PIO2_HIGH

    double quadrants = x * INV_PIO2 + TO_INT - TO_INT;
    int32_t quadrant = static_cast<int32_t>(quadrants);
    double high = x - quadrants * PIO2_HIGH;  // exact for |quadrants| < 2^20
    double low_part = quadrants * PIO2_LOW;
    double y = high - low_part;
    double y_tail = (high - y) - low_part;

    double z = y * y;
    double w = z * z;

    // sin(y + y_tail) on [-pi/4, pi/4].
    constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                     S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                     S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
    double sr = S2 + z * (S3 + z * S4) + z * w * (S5 + z * S6);
    double v = z * y;
    double sine = y - ((z * (0.5 * y_tail - v * sr) - y_tail) - v * S1);

    // cos(y + y_tail) on [-pi/4, pi/4].
    constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                     C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                     C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
    double cr = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
    double half_z = 0.5 * z;
    double one_less = 1.0 - half_z;
    double cosine = one_less + (((1.0 - one_less) - half_z) + (z * cr - y * y_tail));

    double value = (quadrant & 1) ? cosine : sine;
    return (quadrant & 2) ? -value : value;
}
