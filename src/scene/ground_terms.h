#pragma once

#include "math/float_bits.h"
#include "scene/quarter_turn.h"

namespace rm {

// The plane of the ground samples is turned by a quarter turn; its sine is exactly 1.
constexpr float kGroundTurnCosine = kQuarterTurnCosine;
constexpr float kGroundNoiseScales[3] = {
    floatFromBits(0x3b03126f),  // 0.002
    floatFromBits(0x3c23d70a),  // 0.01
    floatFromBits(0x3e4ccccd),  // 0.2
};
// The third weight is the 32-bit float 0.05 widened, not the double nearest 0.05.
constexpr double kGroundNoiseAmplitudes[3] = {50.0, 15.0, double{floatFromBits(0x3d4ccccd)}};

}  // namespace rm
