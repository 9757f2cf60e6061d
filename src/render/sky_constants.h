#pragma once

#include "math/float_bits.h"
#include "math/vec3.h"

namespace rm {

constexpr float kCloudRiseLimit = floatFromBits(0x3a83126f);  // 0.001
constexpr float kCloudLayer = 100.0f;
constexpr double kCloudFrequencyX = 0.002;
constexpr double kCloudFrequencyZ = 0.001;
constexpr float kClearSky = floatFromBits(0x3e99999a);         // 0.3
constexpr float kCloudBrightness = floatFromBits(0x3f4ccccd);  // 0.8
// Along (1, 2, -16), but not its 32- or 64-bit normalisation.
constexpr Vec3 kSunDirection = {
    floatFromBits(0x3d7d893b),  // 0.061898451
    floatFromBits(0x3dfd8939),  // 0.12379689
    floatFromBits(0xbf7d893a),  // -0.99037516
};
constexpr double kSunRadius = 0.4;
constexpr float kNoSunBelow = 0.92f;

}  // namespace rm
