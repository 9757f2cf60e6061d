#pragma once

#include "math/vec3.h"

namespace rm {

// The height of each of `count` world points above the terrain, measured along y, on the
// process-wide ground noise, into out[i]: one point per lane of the best instruction set chosen.
void groundDistanceMany(const Vec3* points, int count, float* out);

}  // namespace rm
