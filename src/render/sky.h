#pragma once

#include "math/vec3.h"
#include "noise/perlin_noise.h"

namespace rm {

// Grey sky seen along a ray that meets nothing: clouds above, a soft disc around the sun.
Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction);

// The same on the process-wide skyNoise.
Vec3 skyColor(Vec3 origin, Vec3 direction);

}  // namespace rm
