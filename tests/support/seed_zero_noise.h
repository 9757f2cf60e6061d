#pragma once

#include "noise/noise_objects.h"
#include "noise/perlin_noise.h"

namespace rmtest {

// Publishes the renderer's two noise objects (seed 0; eight octaves for the sky) for the ground
// field and the sky, which read them through groundNoise and skyNoise.
inline void publishSeedZeroNoise() {
    static const rm::OctaveNoise sky = rm::makeOctaveNoise(8, 0);
    static const rm::PerlinNoise ground = rm::makePerlinNoise(0);
    rm::publishNoise(sky, ground);
}

}  // namespace rmtest
