#pragma once

#include <string>

namespace rm::tools {

enum class Rounding { Nearest, Upward, Downward, TowardZero, Unknown };

// What arithmetic on chosen operands shows of the floating-point environment, in float and in
// double: no C library call asks the processor, so that each reading is what the renderer's own
// operations would meet. Each reading singles out one cause; the defaults are those of the
// environment that the image is exact under.
struct FloatEnvironmentReading {
    // 1 + 2^-25, -1 - 2^-25 and 1 + 3 * 2^-25 (2^-54 and 3 * 2^-54 in double) round apart under
    // each mode; Unknown when the three sums fit none.
    Rounding floatRounding = Rounding::Nearest;
    Rounding doubleRounding = Rounding::Nearest;
    // 2^-100 * 2^-30 (2^-1000 * 2^-30): false when the subnormal product comes back 0.
    bool floatResultsKept = true;
    bool doubleResultsKept = true;
    // 2^-140 * 2^64 (2^-1060 * 2^64): false when the subnormal operand is read as 0.
    bool floatOperandsRead = true;
    bool doubleOperandsRead = true;
    // a * a + c with a = 1 + 2^-12, c = -(1 + 2^-11) (2^-27 and 2^-26 in double): false only on
    // the product's exact tail 2^-24 (2^-54), which only a fused or wider operation keeps.
    bool floatProductRounded = true;
    bool doubleProductRounded = true;
    // (1 + 2^-30) - 1 (2^-60 in double): false only on the exact addend, which only a wider
    // intermediate keeps.
    bool floatOperationRounded = true;
    bool doubleOperationRounded = true;
};

// Reads the environment as it is now.
FloatEnvironmentReading readFloatEnvironment();

// "nearest", "upward", "downward", "toward zero" or "unknown".
const char* roundingName(Rounding rounding);

// The values of the build lines: "float nearest, double nearest", "float kept, double flushed",
// "float read, double zero".
std::string roundingValue(const FloatEnvironmentReading& reading);
std::string subnormalResultsValue(const FloatEnvironmentReading& reading);
std::string subnormalOperandsValue(const FloatEnvironmentReading& reading);

// What this build's setFloatEnvironment() does with the control: "set to round to nearest,
// nothing flushed, exceptions masked", "left as the host set it (<why>)" or "none: WebAssembly
// always rounds to nearest".
std::string floatControlValue();

}  // namespace rm::tools
