#pragma once

#include "math/vec3.h"
#include "render/kernel_table.h"
#include "render/march_hit.h"

namespace rm {

constexpr float kNormalStep = 0.0005f;  // 0x3a03126f

// Unit normal at a point of the surface a march met, from central differences of that surface's
// field alone (the capped sculpture, or the strictly positive ground; 4000 where it is not),
// not divided by the step. The six ground samples are taken as lanes, by `kernels`.
Vec3 estimateNormal(const KernelTable& kernels, Vec3 p, Material material);

}  // namespace rm
