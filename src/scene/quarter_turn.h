#pragma once

#include <stdint.h>

#include "math/float_bits.h"

namespace rm {

// The 32-bit float nearest pi/2.
constexpr float kQuarterTurn = floatFromBits(0x3fc90fdb);  // 1.57079637

// 64-bit cosine and sine of widen(kQuarterTurn), narrowed to 32 bits. The cosine of the float
// nearest pi/2 is not zero and is kept; the sine rounds to exactly 1.
constexpr float kQuarterTurnCosine = floatFromBits(0xb33bbd2e);  // -4.371139e-08
constexpr float kQuarterTurnSine = 1.0f;

// Cosine and sine of 0 or 1 quarter turns, the only counts the scene uses.
constexpr float quarterTurnCosine(int32_t turns) { return turns == 0 ? 1.0f : kQuarterTurnCosine; }
constexpr float quarterTurnSine(int32_t turns) { return turns == 0 ? 0.0f : kQuarterTurnSine; }

}  // namespace rm
