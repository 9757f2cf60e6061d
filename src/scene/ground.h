#pragma once

// The ground: the height of a point above a terrain of plane noise sampled at three scales.
//   ground.h (this file)         its terms, and the plain evaluation at many points
//   scene/ground_lanes.h         its evaluation at a point per lane: the turn into the plane of
//                                the noise, the three sample cells (looked up, or remembered from
//                                the last pass of a march), the height after each sample
//   noise/plane_noise_lanes.h    the plane noise in a cell: the cell look-ups and the interpolation
//   noise/plane_gradients.h      the gradients of a cell's corners in every form: code bits,
//                                factor tables, the 256 written-out pairs
//   noise/plane_hashes.h         the corner codes of every cell
// A set of lane operations states which forms it takes (simd/lane_strategies.h).
#include "math/float_bits.h"
#include "math/vec3.h"
#include "noise/plane_hashes.h"
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

// The height of each of `count` world points above the terrain of the corner hashes `ground`,
// measured along y, into out[i], in plain code. Each instruction set's table has it with one
// point per lane (render/kernel_table.h).
void groundDistanceMany(const PlaneHashes& ground, const Vec3* points, int count, float* out);

}  // namespace rm
