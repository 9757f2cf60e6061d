#pragma once

#include "math/float_bits.h"
#include "math/vec3.h"
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

// A world point's position in the turned sample plane: Z' feeds the noise's x, X' its y.
struct GroundPlanePoint {
    float turnedX;
    float turnedZ;
};

inline GroundPlanePoint groundPlanePoint(Vec3 p) {
    const float a = p.z - 15.0f;
    return {a * kGroundTurnCosine - p.x, p.x * kGroundTurnCosine + a};
}

// The height above the terrain from the three noise samples. Narrowing after every term is
// deliberate: one 64-bit sum of all three would differ in the last bits.
inline float groundFromSamples(float y, double n1, double n2, double n3) {
    float h = static_cast<float>(double{y + 14.0f} + n1 * kGroundNoiseAmplitudes[0]);
    h = static_cast<float>(double{h} + n2 * kGroundNoiseAmplitudes[1]);
    h = static_cast<float>(double{h} + n3 * kGroundNoiseAmplitudes[2]);
    return h + 1.0f;
}

}  // namespace rm
