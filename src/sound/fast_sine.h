// Sine and cosine of a phase in turns, for the oscillators: each voice's pair
// when it is synced, and the turn by its step per sample.
#pragma once

#include "sound/lanes.h"

namespace fast_sine_detail {

constexpr int POINTS = 256;  // table points per turn

// sin(2 pi j / 256) for j = 0 to 64, a quarter turn, rounded to nearest.
inline constexpr double QUARTER_SINE[POINTS / 4 + 1] = {
    0.0,
    0.024541228522912288,
    0.049067674327418015,
    0.07356456359966743,
    0.0980171403295606,
    0.1224106751992162,
    0.14673047445536175,
    0.17096188876030122,
    0.19509032201612828,
    0.2191012401568698,
    0.2429801799032639,
    0.26671275747489837,
    0.2902846772544624,
    0.31368174039889146,
    0.33688985339222005,
    0.35989503653498817,
    0.3826834323650898,
    0.40524131400498986,
    0.4275550934302821,
    0.4496113296546066,
    0.47139673682599764,
    0.49289819222978404,
    0.5141027441932218,
    0.5349976198870973,
    0.5555702330196022,
    0.5758081914178453,
    0.5956993044924334,
    0.6152315905806268,
    0.6343932841636455,
    0.6531728429537768,
    0.6715589548470184,
    0.6895405447370669,
    0.7071067811865476,
    0.7242470829514669,
    0.7409511253549591,
    0.7572088465064846,
    0.773010453362737,
    0.7883464276266062,
    0.8032075314806449,
    0.8175848131515837,
    0.8314696123025452,
    0.8448535652497071,
    0.8577286100002721,
    0.8700869911087115,
    0.881921264348355,
    0.8932243011955153,
    0.9039892931234433,
    0.9142097557035307,
    0.9238795325112867,
    0.9329927988347388,
    0.9415440651830208,
    0.9495281805930367,
    0.9569403357322088,
    0.9637760657954398,
    0.970031253194544,
    0.9757021300385286,
    0.9807852804032304,
    0.9852776423889412,
    0.989176509964781,
    0.99247953459871,
    0.9951847266721969,
    0.9972904566786902,
    0.9987954562051724,
    0.9996988186962042,
    1.0,
};

struct Point {
    double sine;
    double cosine;
};

struct Circle {
    Point at[POINTS];
};

// The whole turn from the quarter, by symmetry: exact.
constexpr double table_sine(int j)
{
    int quarter = j / (POINTS / 4), within = j % (POINTS / 4);
    double rising = QUARTER_SINE[within], falling = QUARTER_SINE[POINTS / 4 - within];
    return quarter == 0 ? rising : quarter == 1 ? falling : quarter == 2 ? -rising : -falling;
}

constexpr Circle make_circle()
{
    Circle circle{};
    for (int j = 0; j < POINTS; j++)
        circle.at[j] = Point{table_sine(j), table_sine((j + POINTS / 4) % POINTS)};
    return circle;
}

inline constexpr Circle CIRCLE = make_circle();

// The table's points at whole-point positions: one lone lookup, or one per lane.
inline Point point_at(double whole) { return CIRCLE.at[static_cast<int>(whole) & (POINTS - 1)]; }

inline void points_at(Lanes whole, Lanes& sine, Lanes& cosine)
{
    Point first = point_at(whole[0]), second = point_at(whole[1]);
    sine = Lanes{first.sine, second.sine};
    cosine = Lanes{first.cosine, second.cosine};
}

inline void points_at(double whole, double& sine, double& cosine)
{
    Point point = point_at(whole);
    sine = point.sine;
    cosine = point.cosine;
}

}  // namespace fast_sine_detail

template <typename Num>
struct SineCosine {
    Num sine;
    Num cosine;
};

// sin(2 pi p) and cos(2 pi p) for a phase p in [0, 1), for a lone double or
// for Lanes.  The phase is split exactly into the nearest of 256 points a
// turn and a rest b of at most half a point (pi/256 radians, one rounding);
// the table holds each point's sine and cosine, and short Taylor series
// turn b's: sin(a + b) = sin a + (sin a (cos b - 1) + cos a sin b), and the
// like for cos.  Each result is within about one unit in the last place of
// the exact sin and cos of 2 pi p.  No branch, so that two voices go through
// it side by side.
template <typename Num>
inline SineCosine<Num> sine_cosine_turns(Num p)
{
    using namespace fast_sine_detail;
    constexpr double TO_INT = 6755399441055744.0;  // 1.5 x 2^52: adding it rounds to an integer
    constexpr double RADIANS_PER_POINT = 2.0 * 3.14159265358979323846 / POINTS;

    Num points = p * static_cast<double>(POINTS);  // exact
    Num whole = (points + TO_INT) - TO_INT;        // nearest point, 0 to 256 (256 is point 0)
    Num b = (points - whole) * RADIANS_PER_POINT;  // the rest is exact; |b| <= pi/256
    Num table_sine, table_cosine;
    points_at(whole, table_sine, table_cosine);

    // sin b and cos b - 1; the terms left out are below 1e-17.
    Num b2 = b * b;
    Num sin_b = b + b * b2 * (-1.0 / 6.0 + b2 * (1.0 / 120.0));
    Num cos_b_less_1 = b2 * (-0.5 + b2 * (1.0 / 24.0 + b2 * (-1.0 / 720.0)));
    return {table_sine + (table_sine * cos_b_less_1 + table_cosine * sin_b),
            table_cosine + (table_cosine * cos_b_less_1 - table_sine * sin_b)};
}
