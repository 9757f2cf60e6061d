#pragma once

#include "math/arc_cosine.h"
#include "math/float_ops.h"
#include "math/vec3.h"
#include "noise/perlin_noise.h"
#include "reference/noise.h"
#include "reference/observer.h"
#include "render/sky_constants.h"

namespace rm::reference {

template <typename R>
Traced<R, float> arcCosine(Traced<R, float> a) {
    return Traced<R, float>::form(Operation::ArcCosine, rm::arcCosine(a.v), a, a);
}
using rm::arcCosine;

// Grey sky seen along a ray that meets nothing: clouds above from the octave noise of the table,
// a soft disc around the sun.
template <typename Observer>
Vec3Of<Observer> skyColor(Observer& observer, const OctaveNoise& clouds, Vec3Of<Observer> origin,
                          Vec3Of<Observer> direction) {
    using F = FloatOf<Observer>;
    using D = DoubleOf<Observer>;
    const ObservedScope<Observer> scope(observer, "sky");
    // Cloud layer: where the ray rises, the octave noise at the point where it meets the layer.
    F base = kClearSky;
    if (direction.y >= kCloudRiseLimit) {
        const F t = observer.value("layer", absF((origin.y + kCloudLayer) / direction.y));
        if (t > 0.0f) {
            const F px = observer.value("cloud.x", t * direction.x + origin.x);
            const F pz = observer.value("cloud.z", t * direction.z + origin.z);
            const D n =
                observer.value("clouds", octaveNoise(observer, clouds, widen(px) * kCloudFrequencyX,
                                                     widen(pz) * kCloudFrequencyZ, D(0.0)));
            const F c = observer.value("cover", narrow((n + 1.0) * 0.5));
            base = (1.0f - c) * kClearSky + c * kCloudBrightness;
        }
    }
    base = observer.value("base", base);

    // Sun disc: a smooth step of the angle to the sun, in 64 bits. Below the cosine 0.92 the angle
    // exceeds 0.4 (acos 0.92 is 0.4027), so the weight is 0 without evaluating it.
    const F cosine = observer.value(
        "sun.cosine", (direction.x * kSunDirection.x + direction.y * kSunDirection.y) +
                          direction.z * kSunDirection.z);
    F sun = 0.0f;
    if (!(cosine < kNoSunBelow)) {
        const F angle = observer.value("sun.angle", arcCosine(cosine));
        const D step = observer.value("sun.difference", kSunRadius - widen(angle));
        D s = step;
        if (!(s >= 0.0)) s = 0.0;
        if (!(s <= 1.0)) s = 1.0;
        s = observer.chosen("sun.step", s, step, step);
        sun = observer.value("sun.weight", narrow((3.0 - (s + s)) * (s * s)));
    }

    const F sum = observer.value("sum", sun + base);
    F v = sum;
    if (!(v >= 0.0f)) v = 0.0f;
    if (!(v <= 1.0f)) v = 1.0f;
    v = observer.chosen("colour", v, sum, sum);
    return {v, v, v};
}

Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction);

}  // namespace rm::reference
