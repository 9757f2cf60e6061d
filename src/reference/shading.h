#pragma once

#include <stdint.h>

#include "math/float_ops.h"
#include "reference/observer.h"
#include "render/camera.h"
#include "render/march_hit.h"
#include "render/shading_constants.h"
#include "render/to_byte.h"

namespace rm::reference {

// The camera, the reflections, the tints and the pixel's bytes, one operation after the other.
// Their constants are the renderer's (render/camera.h, render/shading_constants.h); the renderer
// forms the same values in render/camera.cpp, render/reflection.cpp and
// render/pixel_shading.cpp, and the tests hold it to these.

template <typename F>
struct RayOf {
    typename Vector3Of<F>::Type origin;
    typename Vector3Of<F>::Type direction;
};

// How a surface maps the colour coming back along its reflection: the sculpture by 0.8 c + 0.08
// per channel, the ground by weighting with k and adding b to blue.
template <typename F>
struct TintOf {
    Material material;
    F k;
    F b;
};

// World direction of the primary ray of pixel x in row y. An observer hears the pixel's offsets
// from the centre (vx, vy), the row's term (qy), the inverse length (inverse), the direction in
// the camera's frame (dx, dy, dz) and in the world (direction.*), all under "camera".
template <typename Observer>
Vec3Of<Observer> primaryDirection(Observer& observer, int x, int y) {
    using F = FloatOf<Observer>;
    const ObservedScope<Observer> scope(observer, "camera");
    // Both conversions from the pixel's integers are exact.
    const F column = observer.value("column", F(static_cast<float>(x)));
    const F row = observer.value("row", F(static_cast<float>(y)));
    const F vy = observer.value("vy", row - 512.0f);
    const F qy = observer.value("qy", vy * vy + kFocalLengthSquared);
    const F vx = observer.value("vx", column - 640.0f);
    const F inv = observer.value("inverse", 1.0f / sqrtF(vx * vx + qy));
    const F dx = observer.value("dx", vx * inv);
    const F dy = observer.value("dy", vy * inv);
    const F dz = observer.value("dz", inv * -kFocalLength);
    // The zero entries of the basis stay in the sums: they can change the sign of a zero.
    const Vec3 u = kCameraRight;
    const Vec3 v = kCameraUp;
    const Vec3 w = kCameraBack;
    return observeVec3(
        observer, "direction",
        Vec3Of<Observer>{(v.x * dy + w.x * dz) + u.x * dx, (v.y * dy + w.y * dz) + u.y * dx,
                         (v.z * dy + w.z * dz) + u.z * dx});
}

// d - (n + n) * ((n.x * d.x + n.y * d.y) + n.z * d.z): the mirror direction, not renormalised.
// An observer hears the dot product (reflection.dot) and the direction (reflection.*).
template <typename Observer>
Vec3Of<Observer> reflect(Observer& observer, Vec3Of<Observer> d, Vec3Of<Observer> n) {
    using F = FloatOf<Observer>;
    const ObservedScope<Observer> scope(observer, "reflection");
    const F k = observer.value("dot", (n.x * d.x + n.y * d.y) + n.z * d.z);
    return observeVec3(
        observer, "direction",
        Vec3Of<Observer>{d.x - (n.x + n.x) * k, d.y - (n.y + n.y) * k, d.z - (n.z + n.z) * k});
}

// The start of a reflection ray: p moved along d by the surface lift.
template <typename V>
V liftOff(V p, V d) {
    return {d.x * kSurfaceLift + p.x, d.y * kSurfaceLift + p.y, d.z * kSurfaceLift + p.z};
}

// The point at distance t along a ray.
template <typename V, typename F>
V pointAlong(V o, V d, F t) {
    return {d.x * t + o.x, d.y * t + o.y, d.z * t + o.z};
}

// The primary ray's hit point at distance t along d from the eye, whose x is 0, so nothing is
// added to the hit point's x.
template <typename V, typename F>
V primaryHitPoint(V d, F t) {
    return {t * d.x, t * d.y + kCameraOrigin.y, t * d.z + kCameraOrigin.z};
}

// The reflection rays of a primary ray that met a surface at p with the normal n there: four for
// the sculpture (the mirror ray and three perturbed ones), two for the ground, each starting just
// off the surface, and the ground's weight k = |reflection . view|. An observer hears the
// reflection and, for each perturbed ray, its direction before (jitter<i>.*) and after scaling
// to unit length (jitter<i>.{squared,root,scale,unit.*}), and k.
template <typename F>
struct PrimaryRaysOf {
    Material material;
    int count;
    RayOf<F> rays[4];
    F k;
};

template <typename Observer>
Vec3Of<Observer> unitJitter(Observer& observer, int index, Vec3Of<Observer> v,
                            FloatOf<Observer> squared) {
    using F = FloatOf<Observer>;
    const ObservedScope<Observer> scope(observer, "jitter", index);
    squared = observer.value("squared", squared);
    const F k = observer.value("scale", 1.0f / observer.value("root", sqrtF(squared)));
    return observeVec3(observer, "unit", Vec3Of<Observer>{v.x * k, v.y * k, v.z * k});
}

template <typename Observer>
PrimaryRaysOf<FloatOf<Observer>> primaryReflectionsAt(Observer& observer, Vec3Of<Observer> d,
                                                      Material material, Vec3Of<Observer> p,
                                                      Vec3Of<Observer> n) {
    using F = FloatOf<Observer>;
    using V = Vec3Of<Observer>;
    constexpr float kSculptureJitter = floatFromBits(0x3ca3d70a);  // 0.02
    constexpr float kGroundJitter = floatFromBits(0x3ba3d70a);     // 0.005
    const V r = reflect(observer, d, n);
    PrimaryRaysOf<F> out;
    out.material = material;
    out.k = 0.0f;
    if (material == Material::Sculpture) {
        // Three perturbed reflections, each squared length summed in its own order.
        const F j = kSculptureJitter;
        const V a = observeVec3(observer, "jitter1", V{r.x + j, r.y + j, r.z});
        const V b = observeVec3(observer, "jitter2", V{r.x, r.y + j, r.z + j});
        const V e = observeVec3(observer, "jitter3", V{r.x - j, r.y, r.z - j});
        const V directions[4] = {r, unitJitter(observer, 1, a, (a.x * a.x + a.y * a.y) + a.z * a.z),
                                 unitJitter(observer, 2, b, (b.z * b.z + b.y * b.y) + b.x * b.x),
                                 unitJitter(observer, 3, e, (e.z * e.z + e.x * e.x) + e.y * e.y)};
        out.count = 4;
        for (int i = 0; i < 4; ++i) {
            const ObservedScope<Observer> scope(observer, "ray", i);
            out.rays[i] = {observeVec3(observer, "origin", liftOff(p, directions[i])),
                           directions[i]};
        }
    } else {
        const V g =
            observeVec3(observer, "jitter1", V{r.x + kGroundJitter, r.y + kGroundJitter, r.z});
        const V ug = unitJitter(observer, 1, g, (g.x * g.x + g.y * g.y) + g.z * g.z);
        out.count = 2;
        const V lifted[2] = {observeVec3(observer, "ray0.origin", liftOff(p, r)),
                             observeVec3(observer, "ray1.origin", liftOff(p, ug))};
        out.rays[0] = {lifted[0], r};
        out.rays[1] = {lifted[1], ug};
        out.k = observer.value("k", absF((r.x * d.x + r.y * d.y) + r.z * d.z));
    }
    return out;
}

// The reflection ray and tint where a ray at depth 1..4 met a surface at p with the normal n
// there. An observer hears the reflection and, at the ground, the tint (tint.{k,b}).
template <typename Observer>
void reflectAt(Observer& observer, const RayOf<FloatOf<Observer>>& ray, Material material,
               Vec3Of<Observer> p, Vec3Of<Observer> n, RayOf<FloatOf<Observer>>& next,
               TintOf<FloatOf<Observer>>& tint) {
    const Vec3Of<Observer> d = ray.direction;
    const Vec3Of<Observer> r = reflect(observer, d, n);
    tint = {material, 0.0f, 0.0f};
    if (material != Material::Sculpture) {
        // The ground's weight: the z term first, then x, then y.
        tint.k = observer.value("tint.k", absF((d.z * r.z + d.x * r.x) + d.y * r.y));
        tint.b = observer.value("tint.b", (1.0f - tint.k) * kGroundBlueTint);
    }
    next = {observeVec3(observer, "next.origin", liftOff(p, r)), r};
}

// The colour a surface passes on, given the colour seen along its reflection.
template <typename V, typename F>
V applyTint(const TintOf<F>& tint, V c) {
    if (tint.material == Material::Sculpture) {
        return {c.x * kSculptureReflectance + kSculptureGlow,
                c.y * kSculptureReflectance + kSculptureGlow,
                c.z * kSculptureReflectance + kSculptureGlow};
    }
    return {tint.k * c.x, tint.k * c.y, tint.k * c.z + tint.b};
}

// The scaled channels (red in x, green in y, blue in z) that the bytes are truncated from: of the
// sky's colour, or of a surface from the colours seen along its reflection rays.
template <typename V>
V skyChannels(V c) {
    constexpr float kByteScale = 255.0f;
    return {c.x * kByteScale, c.y * kByteScale, c.z * kByteScale};
}

template <typename V, typename F>
V surfaceChannels(const PrimaryRaysOf<F>& rays, const V* colours) {
    constexpr float kByteScale = 255.0f;
    if (rays.material == Material::Sculpture) {
        // Each of the four sculpture rays weighs 0.2, so their sum is not a plain mean.
        constexpr float kFourRayWeight = floatFromBits(0x3e4ccccd);  // 0.2
        auto mix = [](F c1, F c2, F c3, F c4) {
            return (((c1 + c2) + c3) + c4) * kFourRayWeight + kSculptureGlow;
        };
        const V* t = colours;
        return {mix(t[0].x, t[1].x, t[2].x, t[3].x) * kByteScale,
                mix(t[0].y, t[1].y, t[2].y, t[3].y) * kByteScale,
                mix(t[0].z, t[1].z, t[2].z, t[3].z) * kByteScale};
    }
    // The mean's 0.5 and the byte scale enter red and green as the single factor 127.5; only
    // blue carries the tint.
    constexpr float kHalfByteScale = 127.5f;
    const V u1 = colours[0];
    const V u2 = colours[1];
    const F k = rays.k;
    return {((u1.x + u2.x) * kHalfByteScale) * k, ((u1.y + u2.y) * kHalfByteScale) * k,
            (((u1.z + u2.z) * 0.5f) * k + (1.0f - k) * kGroundBlueTint) * kByteScale};
}

// A scaled channel's byte: truncated toward zero, modulo 256 (toByte).
inline int32_t channelByte(float scaled) { return toByte(scaled); }
template <typename R>
Traced<R, int32_t> channelByte(Traced<R, float> scaled) {
    return truncated(scaled, [](float v) { return int32_t{toByte(v)}; });
}

}  // namespace rm::reference
