#pragma once

#include "math/float_ops.h"
#include "math/vec3.h"
#include "reference/observer.h"
#include "render/normal.h"
#include "scene/far_limit.h"

namespace rm::reference {

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
template <typename Observer, typename Fields>
Vec3 estimateNormal(Observer& observer, const Fields& fields, Vec3 p, bool skipGround,
                    bool skipSculpture) {
    const ObservedScope<Observer> scope(observer, "normal");
    const float h = kNormalStep;
    const Vec3 points[6] = {{p.x + h, p.y, p.z}, {p.x - h, p.y, p.z}, {p.x, p.y + h, p.z},
                            {p.x, p.y - h, p.z}, {p.x, p.y, p.z + h}, {p.x, p.y, p.z - h}};
    float f[6];
    for (int i = 0; i < 6; ++i) {
        f[i] = normalSample(fields, points[i], skipGround, skipSculpture);
        observer.value("sample", i, f[i]);
    }
    const float dx = f[0] - f[1];
    const float dy = f[2] - f[3];
    const float dz = f[4] - f[5];
    const float k = 1.0f / sqrtF((dx * dx + dy * dy) + dz * dz);
    observer.value("scale", k);
    const Vec3 n = {dx * k, dy * k, dz * k};
    observer.value("x", n.x);
    observer.value("y", n.y);
    observer.value("z", n.z);
    return n;
}

template <typename Fields>
Vec3 estimateNormal(const Fields& fields, Vec3 p, bool skipGround, bool skipSculpture) {
    NoObserver none;
    return estimateNormal(none, fields, p, skipGround, skipSculpture);
}

}  // namespace rm::reference
