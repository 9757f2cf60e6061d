#pragma once

#include "math/arc_cosine.h"
#include "math/float_ops.h"
#include "math/vec3.h"
#include "noise/perlin_noise.h"
#include "reference/noise.h"
#include "reference/observer.h"
#include "render/sky_constants.h"

namespace rm::reference {

// Grey sky seen along a ray that meets nothing: clouds above from the octave noise of the table,
// a soft disc around the sun.
template <typename Observer>
Vec3 skyColor(Observer& observer, const OctaveNoise& clouds, Vec3 origin, Vec3 direction) {
    const ObservedScope<Observer> scope(observer, "sky");
    // Cloud layer: where the ray rises, the octave noise at the point where it meets the layer.
    float base = kClearSky;
    if (direction.y >= kCloudRiseLimit) {
        const float t = absF((origin.y + kCloudLayer) / direction.y);
        observer.value("layer", t);
        if (t > 0.0f) {
            const float px = t * direction.x + origin.x;
            const float pz = t * direction.z + origin.z;
            observer.value("cloud.x", px);
            observer.value("cloud.z", pz);
            const double n = octaveNoise(observer, clouds, double{px} * kCloudFrequencyX,
                                         double{pz} * kCloudFrequencyZ, 0.0);
            observer.value("clouds", n);
            const float c = static_cast<float>((n + 1.0) * 0.5);
            observer.value("cover", c);
            base = (1.0f - c) * kClearSky + c * kCloudBrightness;
        }
    }
    observer.value("base", base);

    // Sun disc: a smooth step of the angle to the sun, in 64 bits. Below the cosine 0.92 the angle
    // exceeds 0.4 (acos 0.92 is 0.4027), so the weight is 0 without evaluating it.
    const float cosine = (direction.x * kSunDirection.x + direction.y * kSunDirection.y) +
                         direction.z * kSunDirection.z;
    observer.value("sun.cosine", cosine);
    float sun = 0.0f;
    if (!(cosine < kNoSunBelow)) {
        const float angle = arcCosine(cosine);
        observer.value("sun.angle", angle);
        double s = kSunRadius - double{angle};
        if (!(s >= 0.0)) s = 0.0;
        if (!(s <= 1.0)) s = 1.0;
        observer.value("sun.step", s);
        sun = static_cast<float>((3.0 - (s + s)) * (s * s));
        observer.value("sun.weight", sun);
    }

    float v = sun + base;
    if (!(v >= 0.0f)) v = 0.0f;
    if (!(v <= 1.0f)) v = 1.0f;
    observer.value("colour", v);
    return {v, v, v};
}

Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction);

}  // namespace rm::reference
