#pragma once

#include "math/vec3.h"

namespace rm {

// The height of each of `count` world points above the terrain, measured along y, on the
// process-wide ground noise, into out[i], in plain code. Each instruction set's table has it with
// one point per lane (render/kernel_table.h).
void groundDistanceMany(const Vec3* points, int count, float* out);

}  // namespace rm
