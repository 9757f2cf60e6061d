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

// sculptureDistance of the world point whose frame point is q, from the candidate capsules of its
// cell as a single ray's march takes them. Plain code for every instruction set: a table of
// kernels holds only what lanes speed up, so that no wider set's object defines it too.
float sculptureDistanceInFrame(Vec3 q);

}  // namespace rm
