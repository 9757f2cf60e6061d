#include "render/pixel_shading.h"

#include "math/float_bits.h"
#include "math/float_ops.h"
#include "render/camera.h"
#include "render/shading_constants.h"
#include "render/to_byte.h"

namespace rm {
namespace {

constexpr float kSculptureJitter = floatFromBits(0x3ca3d70a);  // 0.02
constexpr float kGroundJitter = floatFromBits(0x3ba3d70a);     // 0.005
// Each of the four sculpture rays weighs 0.2, so their sum is not a plain mean.
constexpr float kFourRayWeight = floatFromBits(0x3e4ccccd);  // 0.2
constexpr float kByteScale = 255.0f;
constexpr float kHalfByteScale = 127.5f;

Vec3 scaled(Vec3 v, float lengthSquared) {
    const float k = 1.0f / sqrtF(lengthSquared);
    return {v.x * k, v.y * k, v.z * k};
}

Vec3 sculptureChannels(Vec3 t1, Vec3 t2, Vec3 t3, Vec3 t4) {
    auto mix = [](float c1, float c2, float c3, float c4) {
        return (((c1 + c2) + c3) + c4) * kFourRayWeight + kSculptureGlow;
    };
    return {mix(t1.x, t2.x, t3.x, t4.x) * kByteScale, mix(t1.y, t2.y, t3.y, t4.y) * kByteScale,
            mix(t1.z, t2.z, t3.z, t4.z) * kByteScale};
}

Vec3 groundChannels(Vec3 u1, Vec3 u2, float k) {
    // The mean's 0.5 and the byte scale enter red and green as the single factor 127.5; only
    // blue carries the tint.
    return {((u1.x + u2.x) * kHalfByteScale) * k, ((u1.y + u2.y) * kHalfByteScale) * k,
            (((u1.z + u2.z) * 0.5f) * k + (1.0f - k) * kGroundBlueTint) * kByteScale};
}

}  // namespace

PrimaryRays primaryReflectionsAt(Vec3 d, Material material, Vec3 p, Vec3 n) {
    const Vec3 r = reflect(d, n);
    PrimaryRays out;
    out.material = material;
    if (material == Material::Sculpture) {
        // Three perturbed reflections, each squared length summed in its own order.
        const float j = kSculptureJitter;
        const Vec3 a = {r.x + j, r.y + j, r.z};
        const Vec3 b = {r.x, r.y + j, r.z + j};
        const Vec3 e = {r.x - j, r.y, r.z - j};
        const Vec3 directions[4] = {r, scaled(a, (a.x * a.x + a.y * a.y) + a.z * a.z),
                                    scaled(b, (b.z * b.z + b.y * b.y) + b.x * b.x),
                                    scaled(e, (e.z * e.z + e.x * e.x) + e.y * e.y)};
        out.count = 4;
        for (int i = 0; i < 4; ++i)
            out.rays[i] = {liftOff(p, directions[i]), directions[i]};
        out.k = 0.0f;
    } else {
        const Vec3 g = {r.x + kGroundJitter, r.y + kGroundJitter, r.z};
        const Vec3 ug = scaled(g, (g.x * g.x + g.y * g.y) + g.z * g.z);
        out.count = 2;
        out.rays[0] = {liftOff(p, r), r};
        out.rays[1] = {liftOff(p, ug), ug};
        out.k = absF((r.x * d.x + r.y * d.y) + r.z * d.z);
    }
    return out;
}

Vec3 surfaceChannels(const PrimaryRays& rays, const Vec3* colours) {
    if (rays.material == Material::Sculpture) {
        return sculptureChannels(colours[0], colours[1], colours[2], colours[3]);
    }
    return groundChannels(colours[0], colours[1], rays.k);
}

PixelBytes surfaceBytes(const PrimaryRays& rays, const Vec3* colours) {
    return channelBytes(surfaceChannels(rays, colours));
}

Vec3 skyChannels(Vec3 c) { return {c.x * kByteScale, c.y * kByteScale, c.z * kByteScale}; }

PixelBytes channelBytes(Vec3 scaled) {
    return {toByte(scaled.z), toByte(scaled.y), toByte(scaled.x)};
}

PixelBytes skyBytes(Vec3 c) { return channelBytes(skyChannels(c)); }

PixelBytes sculptureBytes(Vec3 t1, Vec3 t2, Vec3 t3, Vec3 t4) {
    return channelBytes(sculptureChannels(t1, t2, t3, t4));
}

PixelBytes groundBytes(Vec3 u1, Vec3 u2, float k) {
    return channelBytes(groundChannels(u1, u2, k));
}

}  // namespace rm
