#pragma once

#include "noise/perlin_noise.h"

namespace rm {

// The process-wide noise objects: set once at start-up, read-only afterwards.
extern const OctaveNoise* skyNoise;
extern const PerlinNoise* groundNoise;

void publishNoise(const OctaveNoise& sky, const PerlinNoise& ground);

}  // namespace rm
