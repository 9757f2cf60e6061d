#pragma once

#include "math/vec3.h"

namespace rm {

// Grey sky seen along a ray that meets nothing: clouds above, a soft disc around the sun, on the
// scene's sky noise.
Vec3 skyColor(Vec3 origin, Vec3 direction);

}  // namespace rm
