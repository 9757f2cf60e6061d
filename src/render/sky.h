#pragma once

#include "math/vec3.h"
#include "render/kernel_table.h"

namespace rm {

// Grey sky seen along a ray that meets nothing: clouds above, a soft disc around the sun, on the
// scene's sky noise, evaluated by `kernels`.
Vec3 skyColor(const KernelTable& kernels, Vec3 origin, Vec3 direction);

}  // namespace rm
