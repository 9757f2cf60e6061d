#pragma once

#include "math/float_ops.h"
#include "math/vec3.h"
#include "scene/far_limit.h"

namespace rm {

constexpr float kNormalStep = 0.0005f;  // 0x3a03126f

// The field sampled for a normal: the capped sculpture and the strictly positive ground, each
// left out when its flag says so; 4000 where nothing admitted is nearer.
template <typename Fields>
float normalSample(const Fields& fields, Vec3 q, bool skipGround, bool skipSculpture) {
    float d = kFarLimit;
    if (!skipSculpture) {
        const float s = fields.sculpture(q);
        if (s <= kFarLimit) d = s;
    }
    if (!skipGround) {
        const float g = fields.ground(q);
        if (g > 0.0f && !(d <= g)) d = g;
    }
    return d;
}

// Unit normal at p from central differences of the admitted field, not divided by the step.
template <typename Fields>
Vec3 estimateNormal(const Fields& fields, Vec3 p, bool skipGround, bool skipSculpture) {
    const float h = kNormalStep;
    auto f = [&](Vec3 q) { return normalSample(fields, q, skipGround, skipSculpture); };
    const float dx = f({p.x + h, p.y, p.z}) - f({p.x - h, p.y, p.z});
    const float dy = f({p.x, p.y + h, p.z}) - f({p.x, p.y - h, p.z});
    const float dz = f({p.x, p.y, p.z + h}) - f({p.x, p.y, p.z - h});
    const float k = 1.0f / sqrtF((dx * dx + dy * dy) + dz * dz);
    return {dx * k, dy * k, dz * k};
}

}  // namespace rm
