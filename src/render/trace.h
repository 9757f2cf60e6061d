#pragma once

#include "math/vec3.h"

namespace rm {

constexpr int kMaxDepth = 5;

// Colour seen along a reflection ray at depth 1..5: marched, reflected once more at a surface,
// and ending in the sky at the first miss or at the depth limit.
Vec3 trace(int depth, const Vec3& origin, Vec3 direction);

}  // namespace rm
