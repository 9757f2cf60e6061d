#include "scene/ground.h"

#include "math/float_bits.h"
#include "noise/noise_objects.h"
#include "scene/quarter_turn.h"

namespace rm {
namespace {

// The plane of the samples is turned by a quarter turn; its sine is exactly 1.
constexpr float kGroundTurnCosine = kQuarterTurnCosine;
constexpr float kGroundNoiseScales[3] = {
    floatFromBits(0x3b03126f),  // 0.002
    floatFromBits(0x3c23d70a),  // 0.01
    floatFromBits(0x3e4ccccd),  // 0.2
};
// The third weight is the 32-bit float 0.05 widened, not the double nearest 0.05.
constexpr double kGroundNoiseAmplitudes[3] = {50.0, 15.0, double{floatFromBits(0x3d4ccccd)}};

}  // namespace

float groundDistance(const PerlinNoise& table, Vec3 p) {
    const float a = p.z - 15.0f;
    const float turnedX = a * kGroundTurnCosine - p.x;
    const float turnedZ = p.x * kGroundTurnCosine + a;

    // Narrow after every term: one 64-bit sum of all three would differ in the last bits.
    float h = p.y + 14.0f;
    for (int k = 0; k < 3; ++k) {
        const float s = kGroundNoiseScales[k];
        const double n = noisePlane(table, double{turnedZ * s}, double{turnedX * s});
        h = static_cast<float>(double{h} + n * kGroundNoiseAmplitudes[k]);
    }
    return h + 1.0f;
}

float groundDistance(Vec3 p) { return groundDistance(*groundNoise, p); }

}  // namespace rm
