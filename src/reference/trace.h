#pragma once

#include "math/vec3.h"
#include "render/pixel_shading.h"

namespace rm::reference {

// Colour seen along a reflection ray at depth 1..5: marched, reflected once more at a surface,
// and ending in the sky at the first miss or at the depth limit.
Vec3 trace(int depth, const Vec3& origin, Vec3 direction);

// The bytes of the pixel whose primary ray leaves the eye along the world direction d.
PixelBytes shadePrimary(Vec3 d);

// The bytes of pixel x of row y (0 is the bottom row).
PixelBytes shadePixel(int x, int y);

}  // namespace rm::reference
