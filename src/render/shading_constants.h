#pragma once

#include "math/float_bits.h"
#include "math/vec3.h"

namespace rm {

// Reflections go at most this deep: depth 0 is the primary ray, and a ray at depth 5 takes the
// sky without being marched.
constexpr int kMaxDepth = 5;

// A march distance above this shows the sky.
constexpr float kSkyThreshold = floatFromBits(0x4579fffc);  // 3999.999
// A reflection ray starts this far along its own direction from the hit point.
constexpr float kSurfaceLift = floatFromBits(0x3c23d70a);           // 0.01
constexpr float kSculptureReflectance = floatFromBits(0x3f4ccccd);  // 0.8
constexpr float kSculptureGlow = floatFromBits(0x3da3d70a);         // 0.08
constexpr float kGroundBlueTint = floatFromBits(0x3e4ccccd);        // 0.2

// d - (n + n) * ((n.x * d.x + n.y * d.y) + n.z * d.z): the mirror direction, not renormalised.
inline Vec3 reflect(Vec3 d, Vec3 n) {
    const float k = (n.x * d.x + n.y * d.y) + n.z * d.z;
    return {d.x - (n.x + n.x) * k, d.y - (n.y + n.y) * k, d.z - (n.z + n.z) * k};
}

// The start of a reflection ray: p moved along d by the surface lift.
inline Vec3 liftOff(Vec3 p, Vec3 d) {
    return {d.x * kSurfaceLift + p.x, d.y * kSurfaceLift + p.y, d.z * kSurfaceLift + p.z};
}

// The point at distance t along a ray.
inline Vec3 pointAlong(Vec3 o, Vec3 d, float t) {
    return {d.x * t + o.x, d.y * t + o.y, d.z * t + o.z};
}

}  // namespace rm
