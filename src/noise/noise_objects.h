#pragma once

#include "noise/perlin_noise.h"
#include "noise/plane_hashes.h"

namespace rm {

// The process-wide noise objects: set once at start-up, read-only afterwards.
extern const OctaveNoise* skyNoise;
extern const PerlinNoise* groundNoise;

// Corner hashes of the two tables in the plane z = 0, where the sky and the ground sample them.
extern const PlaneHashes* skyHashes;
extern const PlaneHashes* groundHashes;

// Publishes the two objects and derives their corner hashes.
void publishNoise(const OctaveNoise& sky, const PerlinNoise& ground);

}  // namespace rm
