#pragma once

#include "math/vec3.h"
#include "noise/perlin_noise.h"

namespace rm::reference {

// Grey sky seen along a ray that meets nothing: clouds above from the octave noise of the table,
// a soft disc around the sun.
Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction);

}  // namespace rm::reference
