// The arc cosine against a correctly rounded reference: exhaustively where the sky's sun disc
// depends on it, by a spread sample elsewhere, and on the inputs with fixed answers.
#include "math/arc_cosine.h"

#include <float.h>
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>

#include "math/float_bits.h"
#include "support/one_minus_cosine.h"

namespace {

#if defined(__SIZEOF_FLOAT128__)
__extension__ typedef __float128 Quad;
#else
typedef long double Quad;  // binary128 where there is no separate quad type
#endif

using rmtest::oneMinusCosine;

// acos(x) correctly rounded to float: acosl rounded once, unless acosl lies so near a rounding
// midpoint m that its last bits matter; then acos(x) > m exactly when 1 - x > 1 - cos(m).
float referenceArcCosine(float x) {
    const long double l = acosl(static_cast<long double>(x));
    const long double slack = l * 0x1p-56L;
    const float below = static_cast<float>(l - slack);
    const float above = static_cast<float>(l + slack);
    if (below == above) return below;
    const Quad m = (Quad(below) + Quad(above)) / 2;
    return 1 - Quad(x) > oneMinusCosine(m) ? above : below;
}

bool approximationWithinBound(float x) {
    const long double l = acosl(static_cast<long double>(x));
    const long double r = rm::arcCosineApproximation(x);
    if (l == 0.0L) return r == 0.0L;
    return fabsl(r - l) < l * rm::kArcCosineRelativeError;
}

// Checks every float whose bit pattern is first + k * stride up to last; returns the count.
int64_t checkPatterns(uint32_t first, uint32_t last, uint32_t stride) {
    int64_t failures = 0;
    for (uint64_t bits = first; bits <= last; bits += stride) {
        const float x = rm::floatFromBits(static_cast<uint32_t>(bits));
        const uint32_t got = rm::floatBits(rm::arcCosine(x));
        const uint32_t want = rm::floatBits(referenceArcCosine(x));
        const bool bounded = approximationWithinBound(x);
        if ((got != want || !bounded) && ++failures <= 10) {
            ADD_FAILURE() << "x = " << x << " (0x" << std::hex << bits << "): got 0x" << got
                          << ", want 0x" << want << (bounded ? "" : ", approximation off bound");
        }
    }
    return failures;
}

class ArcCosineReferenceTest : public testing::Test {
protected:
    void SetUp() override {
        if (LDBL_MANT_DIG < 64) GTEST_SKIP() << "needs a long double wider than double";
    }
};

// The sun weight is nonzero only where acos(cosine) < 0.4, that is cosine > 0.921.
TEST_F(ArcCosineReferenceTest, EveryFloatFromNineTenthsToOne) {
    EXPECT_EQ(checkPatterns(rm::floatBits(0.9f), 0x3f800000, 1), 0);
}

TEST_F(ArcCosineReferenceTest, SpreadOverTheWholeDomain) {
    // A prime stride over the bit patterns samples every binade, subnormals included.
    EXPECT_EQ(checkPatterns(0x00000000, 0x3f800000, 1009), 0);
    EXPECT_EQ(checkPatterns(0x80000000, 0xbf800000, 1013), 0);
}

TEST_F(ArcCosineReferenceTest, InputsWhoseApproximationRoundsTheWrongWay) {
    // Near pi/2 the approximation lies within its error of a midpoint and rounds the wrong way;
    // these and their neighbours must come out right.
    for (uint32_t centre : {0x328885a3u, 0x39826222u}) {
        EXPECT_EQ(checkPatterns(centre - 64, centre + 64, 1), 0);
    }
}

TEST(ArcCosineTest, ExactEndsAndZero) {
    EXPECT_EQ(rm::floatBits(rm::arcCosine(1.0f)), 0x00000000u);   // +0, not -0
    EXPECT_EQ(rm::floatBits(rm::arcCosine(-1.0f)), 0x40490fdbu);  // the float nearest pi
    EXPECT_EQ(rm::floatBits(rm::arcCosine(0.0f)), 0x3fc90fdbu);   // the float nearest pi/2
    EXPECT_EQ(rm::floatBits(rm::arcCosine(-0.0f)), 0x3fc90fdbu);
    EXPECT_EQ(rm::floatBits(rm::arcCosine(0.5f)), 0x3f860a92u);   // pi/3
    EXPECT_EQ(rm::floatBits(rm::arcCosine(-0.5f)), 0x40060a92u);  // 2 pi/3
}

TEST(ArcCosineTest, SubnormalsGiveHalfPi) {
    for (uint32_t bits : {0x00000001u, 0x00400000u, 0x007fffffu, 0x80000001u, 0x807fffffu}) {
        EXPECT_EQ(rm::floatBits(rm::arcCosine(rm::floatFromBits(bits))), 0x3fc90fdbu)
            << std::hex << bits;
    }
}

TEST(ArcCosineTest, NanAndOutsideTheDomainGiveNan) {
    const uint32_t inputs[] = {
        0x7fc00000, 0xffc00000, 0x7f800001,  // quiet and signalling NaNs
        0x7f800000, 0xff800000,              // infinities
        0x3f800001, 0xbf800001,              // just outside [-1, 1]
        0x40000000, 0x7f7fffff, 0xff7fffff,
    };
    for (uint32_t bits : inputs) {
        EXPECT_TRUE(isnan(rm::arcCosine(rm::floatFromBits(bits)))) << std::hex << bits;
    }
}

}  // namespace
