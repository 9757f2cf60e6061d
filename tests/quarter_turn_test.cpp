// The sculpture and the ground use stored cosines and sines of their quarter turns instead of
// calling cos and sin. The values follow from the angle's distance to pi/2 alone: with
// kQuarterTurn = pi/2 + d, cos = -sin(d) and sin = cos(d), which for |d| < 2^-24 are -d and 1 to
// far better than a float's precision. No C library is asked.
#include "scene/quarter_turn.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include <cmath>

#include "math/float_bits.h"

namespace {

// pi/2 as the sum of two doubles: the double nearest it and the rest, 2^-54 times a 53-bit
// fraction (Cody and Waite's split), so that kQuarterTurn - pi/2 is formed to 106 bits.
constexpr double kHalfPiHigh = 0x1.921fb54442d18p+0;
constexpr double kHalfPiLow = 0x1.1a62633145c07p-54;

// kQuarterTurn - pi/2: the first difference is exact, both numbers lying within a factor of two.
double distanceFromHalfPi() { return (double{rm::kQuarterTurn} - kHalfPiHigh) - kHalfPiLow; }

TEST(QuarterTurnTest, AngleIsTheFloatNearestHalfPi) {
    const double d = distanceFromHalfPi();
    // Floats in [1, 2) are 2^-23 apart: the nearest lies within half of that.
    EXPECT_LE(std::fabs(d), 0x1p-24);
    EXPECT_NE(d, 0.0);
    EXPECT_EQ(rm::floatBits(rm::kQuarterTurn), 0x3fc90fdbu);
}

TEST(QuarterTurnTest, OneTurnIsMinusTheDistanceAndOne) {
    const double d = distanceFromHalfPi();
    // -sin(d) differs from -d by d^3 / 6 < 2^-75, far below half a float ulp of d (2^-49):
    // narrowing either gives the same float.
    EXPECT_EQ(rm::floatBits(rm::quarterTurnCosine(1)), rm::floatBits(static_cast<float>(-d)));
    EXPECT_LT(rm::quarterTurnCosine(1), 0.0f);
    // cos(d) = 1 - d^2 / 2 lies within 2^-49 of 1, nearer than the float below 1 (1 - 2^-24).
    EXPECT_LT(d * d / 2, 0x1p-25);
    EXPECT_EQ(rm::floatBits(rm::quarterTurnSine(1)), 0x3f800000u);
}

TEST(QuarterTurnTest, ZeroTurnsIsOneAndPositiveZero) {
    EXPECT_EQ(rm::floatBits(rm::quarterTurnCosine(0)), 0x3f800000u);
    // A negative zero would change the sign of products that the fields form from it.
    EXPECT_EQ(rm::floatBits(rm::quarterTurnSine(0)), 0x00000000u);
}

TEST(QuarterTurnTest, SquaresSumToOneInFloat) {
    for (int32_t turns = 0; turns <= 1; ++turns) {
        const float c = rm::quarterTurnCosine(turns);
        const float s = rm::quarterTurnSine(turns);
        EXPECT_EQ(rm::floatBits(c * c + s * s), 0x3f800000u) << turns;
    }
}

}  // namespace
