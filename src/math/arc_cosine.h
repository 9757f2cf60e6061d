#pragma once

#include "math/float_bits.h"

namespace rm {

// Arc cosine in single precision, correctly rounded to nearest (ties to even) for every float, in
// radians in [0, pi]. NaN and |x| > 1 give a quiet NaN. Built from +, -, *, / and square root
// alone, so every IEEE-754 target gives the same bits.
float arcCosine(float x);

// The 64-bit approximation that arcCosine rounds, for x in [-1, 1]. Its relative error stays below
// kArcCosineRelativeError for every float x; scripts/verify-arc-cosine checks that exhaustively.
double arcCosineApproximation(float x);

constexpr double kArcCosineRelativeError = doubleFromBits(0x3cd0000000000000);  // 2^-50

}  // namespace rm
