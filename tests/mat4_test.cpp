// The matrix product and the sculpture frame built with it.
#include <gtest/gtest.h>

#include <cmath>

#include "math/float_bits.h"
#include "reference/mat4_multiply.h"
#include "scene/sculpture.h"

namespace rm {
namespace {

using reference::mat4Multiply;

void expectSameBits(const Mat4& actual, const Mat4& expected) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(floatBits(actual.m[i]), floatBits(expected.m[i])) << "storage index " << i;
    }
}

TEST(Mat4MultiplyTest, ComposesColumnMajorMatricesLeftTimesRight) {
    // A translation by (1, 2, 3) and a scale by (2, 3, 4), stored column by column.
    const Mat4 translate = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}};
    const Mat4 scale = {{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}};
    expectSameBits(mat4Multiply(translate, scale),
                   {{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 1, 2, 3, 1}});
    expectSameBits(mat4Multiply(scale, translate),
                   {{2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 2, 6, 12, 1}});
}

TEST(Mat4MultiplyTest, SumsEachElementFromTheFirstTermToTheLast) {
    // Row 0 of a against column 0 of b gives the terms 2^25, 1, -2^25, 1: only the ascending
    // order yields 1 (any other order gives 0 or 2).
    Mat4 a = {};
    a.m[0] = 33554432.0f;
    a.m[4] = 1.0f;
    a.m[8] = -33554432.0f;
    a.m[12] = 1.0f;
    // Row 1 of a is all -1 and column 1 of b all zero: four negative zeros sum to a negative zero.
    for (int k = 0; k < 4; ++k)
        a.m[4 * k + 1] = -1.0f;
    const Mat4 b = {{1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}};
    const Mat4 product = mat4Multiply(a, b);
    EXPECT_EQ(floatBits(product.m[0]), floatBits(1.0f));
    EXPECT_EQ(floatBits(product.m[5]), floatBits(-0.0f));
}

// Cosine and sine by their series, in double: the values to hold the stored floats to, from
// nothing but the angle (no C library).
double seriesCosine(double x) {
    double term = 1.0, sum = 1.0;
    for (int k = 1; k < 20; ++k) {
        term *= -x * x / ((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}
double seriesSine(double x) { return seriesCosine(x - 0x1.921fb54442d18p+0); }

// The float nearest VALUE, and VALUE more than a hundred-thousandth of an ulp from a tie, so that
// the series' last bits cannot decide it.
float nearestFloat(double value) {
    const float nearest = static_cast<float>(value);
    const double ulp = std::ldexp(1.0, std::ilogb(nearest) - 23);
    const double offset = std::fabs(value - double{nearest});
    EXPECT_LT(offset, ulp / 2 * (1 - 1e-5)) << value;
    return nearest;
}

// Turns by DEGREES about the y and the x axis (right-handed, columns stored one after the other),
// each element the float nearest its true value.
Mat4 turnAboutY(double degrees) {
    const double angle = degrees * (0x1.921fb54442d18p+1 / 180);
    const float c = nearestFloat(seriesCosine(angle)), s = nearestFloat(seriesSine(angle));
    return {{c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1}};
}
Mat4 turnAboutX(double degrees) {
    const double angle = degrees * (0x1.921fb54442d18p+1 / 180);
    const float c = nearestFloat(seriesCosine(angle)), s = nearestFloat(seriesSine(angle));
    return {{1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1}};
}

TEST(SculptureFrameTest, YawIsFortyFiveDegreesAboutY) {
    expectSameBits(kSculptureYaw, turnAboutY(45));
    // The float nearest the square root of one half, to the last bit: squares of the points half
    // an ulp either side of it (exact in double) lie either side of one half.
    const double r = kSculptureYaw.m[0];
    EXPECT_LT((r - 0x1p-25) * (r - 0x1p-25), 0.5);
    EXPECT_GT((r + 0x1p-25) * (r + 0x1p-25), 0.5);
}

TEST(SculptureFrameTest, PitchIsMinusThirtyThreeDegreesAboutX) {
    Mat4 expected = turnAboutX(-33);
    // Its row 1, column 0 is a negative zero, which the frame's product then meets.
    expected.m[1] = -0.0f;
    expectSameBits(kSculpturePitch, expected);
}

TEST(SculptureFrameTest, IsThePitchTurnedByTheYaw) {
    const float r = 0.70710677f;
    const float c = 0.83867055f;
    const float s = 0.54463905f;
    // The two mixed products; every other term of their sums is an exact zero, so every zero of
    // the frame is positive.
    const float m = -(r * s);
    const float n = r * c;
    const Mat4 expected = {{r, 0, -r, 0, m, c, m, 0, n, s, n, 0, 0, 0, 0, 1}};
    expectSameBits(mat4Multiply(kSculptureYaw, kSculpturePitch), expected);
    expectSameBits(kSculptureFrame, expected);
    EXPECT_NEAR(m, -0.385, 5e-4);
    EXPECT_NEAR(n, 0.593, 5e-4);
}

}  // namespace
}  // namespace rm
