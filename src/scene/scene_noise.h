#pragma once

// The scene's noise, built by the compiler: the ground and the sky sample tables of the same seed,
// 0, the sky in eight octaves; both sample the plane z = 0 through the one table of corner hashes.
#include "noise/perlin_noise.h"
#include "noise/plane_hashes.h"

namespace rm {

extern const PerlinNoise kGroundNoise;
extern const OctaveNoise kSkyNoise;
extern const PlaneHashes kScenePlaneHashes;

}  // namespace rm
