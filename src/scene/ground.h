#pragma once

#include "math/vec3.h"
#include "noise/plane_hashes.h"

namespace rm {

// The height of each of `count` world points above the terrain of the corner hashes `ground`,
// measured along y, into out[i], in plain code. Each instruction set's table has it with one
// point per lane (render/kernel_table.h).
void groundDistanceMany(const PlaneHashes& ground, const Vec3* points, int count, float* out);

}  // namespace rm
