#include "render/sky.h"

#include "math/arc_cosine.h"
#include "math/float_bits.h"
#include "math/float_ops.h"
#include "noise/noise_objects.h"
#include "noise/plane_hashes.h"

namespace rm {
namespace {

constexpr float kCloudRiseLimit = floatFromBits(0x3a83126f);  // 0.001
constexpr float kCloudLayer = 100.0f;
constexpr double kCloudFrequencyX = 0.002;
constexpr double kCloudFrequencyZ = 0.001;
constexpr float kClearSky = floatFromBits(0x3e99999a);         // 0.3
constexpr float kCloudBrightness = floatFromBits(0x3f4ccccd);  // 0.8
// Along (1, 2, -16), but not its 32- or 64-bit normalisation.
constexpr Vec3 kSunDirection = {
    floatFromBits(0x3d7d893b),  // 0.061898451
    floatFromBits(0x3dfd8939),  // 0.12379689
    floatFromBits(0xbf7d893a),  // -0.99037516
};
constexpr double kSunRadius = 0.4;
constexpr float kNoSunBelow = 0.92f;

// The sky with the cloud noise taken from `clouds(x, y)`, the octave sum in the plane z = 0.
template <typename Clouds>
Vec3 skyWith(const Clouds& clouds, Vec3 origin, Vec3 direction) {
    // Cloud layer: where the ray rises, the octave noise at the point where it meets the layer.
    float base = kClearSky;
    if (direction.y >= kCloudRiseLimit) {
        const float t = absF((origin.y + kCloudLayer) / direction.y);
        if (t > 0.0f) {
            const float px = t * direction.x + origin.x;
            const float pz = t * direction.z + origin.z;
            const double n = clouds(double{px} * kCloudFrequencyX, double{pz} * kCloudFrequencyZ);
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

}  // namespace

Vec3 skyColor(const OctaveNoise& clouds, Vec3 origin, Vec3 direction) {
    return skyWith([&](double x, double y) { return octaveNoisePlane(clouds, x, y); }, origin,
                   direction);
}

Vec3 skyColor(Vec3 origin, Vec3 direction) {
    const PlaneHashes& hashes = *skyHashes;
    const int32_t octaves = skyNoise->octaves;
    return skyWith([&](double x, double y) { return octaveNoisePlane(hashes, octaves, x, y); },
                   origin, direction);
}

}  // namespace rm
