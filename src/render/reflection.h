#pragma once

#include "math/vec3.h"
#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

// How a surface maps the colour that comes back along its reflection: the sculpture by
// 0.8 c + 0.08 per channel, the ground by weighting with k and adding b to blue.
struct SurfaceTint {
    Material material;
    float k;
    float b;
};

struct Reflection {
    Ray ray;
    SurfaceTint tint;
};

// The reflection ray and tint where a ray at depth 1..4 met a surface at the point p, with the
// surface normal n there.
Reflection reflectAt(const Ray& ray, Material material, Vec3 p, Vec3 n);

// The colour a surface passes on, given the colour seen along its reflection.
Vec3 applyTint(const SurfaceTint& tint, Vec3 c);

}  // namespace rm
