#include "render/sky.h"

#include "math/arc_cosine.h"
#include "math/float_ops.h"
#include "render/sky_constants.h"
#include "scene/scene_noise.h"

namespace rm {

Vec3 skyColor(const KernelTable& kernels, Vec3 origin, Vec3 direction) {
    // Cloud layer: where the ray rises, the octave noise at the point where it meets the layer.
    float base = kClearSky;
    if (direction.y >= kCloudRiseLimit) {
        const float t = absF((origin.y + kCloudLayer) / direction.y);
        if (t > 0.0f) {
            const float px = t * direction.x + origin.x;
            const float pz = t * direction.z + origin.z;
            const double n = kernels.octaveNoisePlane(kScenePlaneHashes, kSkyNoise.octaves,
                                                      double{px} * kCloudFrequencyX,
                                                      double{pz} * kCloudFrequencyZ);
            const float c = static_cast<float>((n + 1.0) * 0.5);
            base = (1.0f - c) * kClearSky + c * kCloudBrightness;
        }
    }

    // Sun disc: a smooth step of the angle to the sun, in 64 bits. Below the cosine 0.92 the angle
    // exceeds 0.4 (acos 0.92 is 0.4027), so the weight is 0 without evaluating it.
    const float cosine = (direction.x * kSunDirection.x + direction.y * kSunDirection.y) +
                         direction.z * kSunDirection.z;
    float sun = 0.0f;
    if (!(cosine < kNoSunBelow)) {
        double s = kSunRadius - double{arcCosine(cosine)};
        if (!(s >= 0.0)) s = 0.0;
        if (!(s <= 1.0)) s = 1.0;
        sun = static_cast<float>((3.0 - (s + s)) * (s * s));
    }

    float v = sun + base;
    if (!(v >= 0.0f)) v = 0.0f;
    if (!(v <= 1.0f)) v = 1.0f;
    return {v, v, v};
}

}  // namespace rm
