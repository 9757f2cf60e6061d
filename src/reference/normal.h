#pragma once

#include "math/float_ops.h"
#include "math/vec3.h"
#include "reference/march.h"
#include "reference/observer.h"
#include "render/normal.h"
#include "scene/far_limit.h"

namespace rm::reference {

// The field sampled for a normal: the capped sculpture and the strictly positive ground, each
// left out when its flag says so; 4000 where nothing admitted is nearer. An observer hears the
// fields' terms and the sample, which is one of them or 4000.
template <typename Observer, typename Fields>
FloatOf<Observer> normalSample(Observer& observer, const Fields& fields, Vec3Of<Observer> q,
                               bool skipGround, bool skipSculpture) {
    using F = FloatOf<Observer>;
    F d = kFarLimit;
    F s = d;
    F g = d;
    if (!skipSculpture) {
        s = observer.value("sculpture", sculptureAt(observer, fields, q));
        if (s <= kFarLimit) d = s;
    }
    if (!skipGround) {
        g = observer.value("ground", groundAt(observer, fields, q));
        if (g > 0.0f && !(d <= g)) d = g;
    }
    return observer.chosen("value", d, s, g);
}

template <typename Fields>
float normalSample(const Fields& fields, Vec3 q, bool skipGround, bool skipSculpture) {
    NoObserver none;
    return normalSample(none, fields, q, skipGround, skipSculpture);
}

// Unit normal at p from central differences of the admitted field, not divided by the step. An
// observer hears each sample's point and terms (sample<i>.*) and the sample (sample<i>), the
// differences (dx, dy, dz), their squared length (squared), its root (root), the scale (scale)
// and the normal (x, y, z).
template <typename Observer, typename Fields>
Vec3Of<Observer> estimateNormal(Observer& observer, const Fields& fields, Vec3Of<Observer> p,
                                bool skipGround, bool skipSculpture) {
    using F = FloatOf<Observer>;
    const ObservedScope<Observer> scope(observer, "normal");
    const float h = kNormalStep;
    F f[6];
    for (int i = 0; i < 6; ++i) {
        F sample;
        {
            const ObservedScope<Observer> sampleScope(observer, "sample", i);
            // The point moves along one axis only; its other coordinates are p's own.
            auto moved = [&](F c, int axis) {
                return i / 2 != axis ? c : i % 2 == 0 ? c + h : c - h;
            };
            const Vec3Of<Observer> q = observeVec3(
                observer, "point", Vec3Of<Observer>{moved(p.x, 0), moved(p.y, 1), moved(p.z, 2)});
            sample = normalSample(observer, fields, q, skipGround, skipSculpture);
        }
        f[i] = observer.value("sample", i, sample);
    }
    const F dx = observer.value("dx", f[0] - f[1]);
    const F dy = observer.value("dy", f[2] - f[3]);
    const F dz = observer.value("dz", f[4] - f[5]);
    const F squared = observer.value("squared", (dx * dx + dy * dy) + dz * dz);
    const F root = observer.value("root", sqrtF(squared));
    const F k = observer.value("scale", 1.0f / root);
    return {observer.value("x", dx * k), observer.value("y", dy * k), observer.value("z", dz * k)};
}

template <typename Fields>
Vec3 estimateNormal(const Fields& fields, Vec3 p, bool skipGround, bool skipSculpture) {
    NoObserver none;
    return estimateNormal(none, fields, p, skipGround, skipSculpture);
}

}  // namespace rm::reference
