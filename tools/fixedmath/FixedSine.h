// Sine and cosine in integers, for generators whose bytes must be the same on every
// compiler, target and maths library: the sample movie, the stored skin, the artwork.
//
// Angles are binary: TurnUnits (65536) to the full turn, any integer allowed (taken modulo
// the turn). Results are fixed point with One (65536) for 1.0, exact at the quarter turns and
// within a unit of the true value elsewhere. Only integer arithmetic, so no floating-point
// mode, precision or library can change a result.
#pragma once

#include <cstdint>

namespace fixedmath {

constexpr int32_t TurnUnits = 65536;
constexpr int32_t One = 65536;

// sin(angle * 2 pi / TurnUnits) * One, rounded.
constexpr int32_t Sin(int64_t angle) {
    const uint32_t a = static_cast<uint32_t>(angle & (TurnUnits - 1));
    const uint32_t quadrant = a >> 14;
    uint32_t q = a & 0x3FFF;  // 0 .. a quarter turn, exclusive
    if (quadrant & 1) q = 0x4000 - q;
    // x in radians, Q30: q * (pi / 2) / 16384, pi / 2 being 1686629713 in Q30.
    const int64_t x = static_cast<int64_t>(q) * 1686629713 / 16384;
    const int64_t x2 = (x * x) >> 30;
    // Taylor series to x^11: below a unit of the result over the quarter turn.
    int64_t term = x, sum = x;
    for (int64_t n = 2; n <= 10; n += 2) {
        term = -((term * x2) >> 30) / (n * (n + 1));
        sum += term;
    }
    int32_t r = static_cast<int32_t>((sum + (1 << 13)) >> 14);
    if (r > One) r = One;
    return (quadrant & 2) ? -r : r;
}

constexpr int32_t Cos(int64_t angle) { return Sin(angle + TurnUnits / 4); }

// The same sine as a double in [-1, 1] (exact: the division is by a power of two).
constexpr double SinValue(int64_t angle) { return Sin(angle) / double(One); }

// value * sin(angle), rounded to the nearest integer (halves away from zero).
constexpr int64_t ScaleSin(int64_t value, int64_t angle) {
    const int64_t p = value * Sin(angle);
    return p >= 0 ? (p + One / 2) / One : -((-p + One / 2) / One);
}

}  // namespace fixedmath
