#pragma once

#include "math/vec3.h"
#include "render/march_hit.h"
#include "scene/far_limit.h"

namespace rm {

constexpr int kMarchMaxSteps = 4096;
constexpr float kHitThreshold = 0.001f;  // 0x3a83126f
constexpr double kStepScale = 0.5;

// Sphere-traces a ray through two distance fields: `fields.sculpture(p)` and `fields.ground(p)`,
// each called once per pass at the same point, sculpture first. The ground counts only while it
// is strictly positive, and a tie goes to the sculpture.
template <typename Fields>
MarchHit march(const Fields& fields, Vec3 origin, Vec3 direction) {
    float t = 0.0f;
    for (int pass = 0; pass < kMarchMaxSteps; ++pass) {
        const Vec3 p = {direction.x * t + origin.x, direction.y * t + origin.y,
                        direction.z * t + origin.z};
        float chosen = kFarLimit;
        Material material = Material::None;
        const float s = fields.sculpture(p);
        if (s < chosen) {
            chosen = s;
            material = Material::Sculpture;
        }
        const float g = fields.ground(p);
        if (g > 0.0f && g < chosen) {
            chosen = g;
            material = Material::Ground;
        }
        if (chosen < kHitThreshold) return {material, t};
        // Step in 64 bits and round once.
        t = static_cast<float>(double{chosen} * kStepScale + double{t});
        if (t >= kFarLimit) break;
    }
    return {Material::None, kFarLimit};
}

}  // namespace rm
