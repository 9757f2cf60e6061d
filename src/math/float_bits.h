#pragma once

#include <stdint.h>

#include "math/float_evaluation.h"

namespace rm {

// The IEEE-754 bit patterns of floats and doubles. Constants of the renderer are written from
// their bit patterns, so no compiler's decimal conversion can move them.
constexpr uint32_t floatBits(float v) { return __builtin_bit_cast(uint32_t, v); }
constexpr uint64_t doubleBits(double v) { return __builtin_bit_cast(uint64_t, v); }
constexpr float floatFromBits(uint32_t b) { return __builtin_bit_cast(float, b); }
constexpr double doubleFromBits(uint64_t b) { return __builtin_bit_cast(double, b); }

}  // namespace rm
