#include "math/arc_cosine.h"

#include <stdint.h>

#include "math/float_bits.h"
#include "math/float_ops.h"

namespace rm {
namespace {

// pi and pi/2, each as the nearest double plus the double nearest the remainder.
constexpr double kPiHigh = doubleFromBits(0x400921fb54442d18);      // 3.141592653589793
constexpr double kPiLow = doubleFromBits(0x3ca1a62633145c07);       // 1.2246467991473532e-16
constexpr double kHalfPiHigh = doubleFromBits(0x3ff921fb54442d18);  // 1.5707963267948966
constexpr double kHalfPiLow = doubleFromBits(0x3c91a62633145c07);   // 6.123233995736766e-17

// asin(s) = s + s * z * tail(z) with z = s * s. The tail is interpolated at the 13 Chebyshev nodes
// of z in [0, 1/4] (|s| <= 1/2); with these doubles it is within 2^-55 of the true tail there.
constexpr double kArcSineTail[13] = {
    doubleFromBits(0x3fc5555555555556),  // 0.16666666666666669
    doubleFromBits(0x3fb3333333332eca),  // 0.07499999999998433
    doubleFromBits(0x3fa6db6db6e31f13),  // 0.04464285714635543
    doubleFromBits(0x3f9f1c71c1db0623),  // 0.030381944138531247
    doubleFromBits(0x3f96e8bb1c8209a2),  // 0.02237217294214989
    doubleFromBits(0x3f91c4d35cf95421),  // 0.017352392720869973
    doubleFromBits(0x3f8c9cf07674736a),  // 0.013971212973552933
    doubleFromBits(0x3f8782651caa6547),  // 0.011479177415184906
    doubleFromBits(0x3f852420b04b37be),  // 0.01032281435018578
    doubleFromBits(0x3f765a9c4dfcf8b2),  // 0.005457506718640358
    doubleFromBits(0x3f91d189408314ee),  // 0.01740087944269402
    doubleFromBits(0xbf8e6aaa8a0a04cc),  // -0.014851887071247204
    doubleFromBits(0x3f9d72b2bc8155f8),  // 0.028757851367421566
};

// Estrin's scheme: four short chains in parallel instead of one of twelve steps.
double arcSineTail(double z) {
    const double* c = kArcSineTail;
    const double z2 = z * z;
    const double z4 = z2 * z2;
    const double z8 = z4 * z4;
    const double low = (c[0] + c[1] * z) + (c[2] + c[3] * z) * z2;
    const double middle = (c[4] + c[5] * z) + (c[6] + c[7] * z) * z2;
    const double high = (c[8] + c[9] * z) + (c[10] + c[11] * z) * z2;
    return (low + middle * z4) + (high + c[12] * z4) * z8;
}

// The inputs whose approximation lies within the error bound of a float rounding midpoint and
// rounds to the wrong side of it, with their correctly rounded results. Found by the exhaustive
// check in scripts/verify-arc-cosine; any change to the approximation must refresh this list.
struct RoundingException {
    uint32_t input;
    uint32_t result;
};
constexpr RoundingException kRoundingExceptions[] = {
    {0x328885a3, 0x3fc90fdb},  // 1.58932547e-08 -> 1.57079637
    {0x39826222, 0x3fc907b5},  // 0.000248686469 -> 1.57054769
};

float nearMidpoint(float x, float rounded) {
    const uint32_t bits = floatBits(x);
    for (const RoundingException& e : kRoundingExceptions) {
        if (e.input == bits) return floatFromBits(e.result);
    }
    return rounded;
}

}  // namespace

double arcCosineApproximation(float x) {
    const double wide = x;
    const double magnitude = absF(x);
    if (magnitude <= 0.5) {
        // acos(x) = pi/2 - asin(x); x * x is exact in 64 bits. The small terms are gathered before
        // the one rounding at the scale of pi/2.
        const double z = wide * wide;
        const double tail = (wide * z) * arcSineTail(z);
        return kHalfPiHigh - (wide - (kHalfPiLow - tail));
    }
    // acos(|x|) = 2 asin(sqrt((1 - |x|) / 2)); 1 - |x| and its half are exact.
    const double z = (1.0 - magnitude) * 0.5;
    const double s = sqrtD(z);
    const double tail = (s * z) * arcSineTail(z);
    if (x > 0.0f) return (s + tail) * 2.0;
    // acos(x) = pi - acos(|x|), again with the small terms gathered first.
    return kPiHigh - ((s * 2.0) - (kPiLow - (tail * 2.0)));
}

float arcCosine(float x) {
    // A fixed quiet NaN: NaNs made by arithmetic differ in sign from one processor to another.
    if (!(absF(x) <= 1.0f)) return floatFromBits(0x7fc00000);
    const double r = arcCosineApproximation(x);
    const float rounded = static_cast<float>(r);
    // When both ends of r's error interval round alike, so does the true value.
    const double margin = r * kArcCosineRelativeError;
    if (static_cast<float>(r - margin) == static_cast<float>(r + margin)) return rounded;
    return nearMidpoint(x, rounded);
}

}  // namespace rm
