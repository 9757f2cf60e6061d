#pragma once

#include "math/vec3.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "reference/normal.h"
#include "reference/observer.h"
#include "reference/shading.h"
#include "reference/sky.h"
#include "render/pixel_shading.h"
#include "render/shading_constants.h"
#include "scene/scene_noise.h"

namespace rm::reference {

template <typename Observer>
Vec3Of<Observer> normalAt(Observer& observer, const ObservedFields<Observer>& fields,
                          Vec3Of<Observer> p, Material material) {
    return estimateNormal(observer, fields, p, material != Material::Ground,
                          material != Material::Sculpture);
}

// Colour seen along a reflection ray at depth 1..5: marched, reflected once more at a surface,
// and ending in the sky at the first miss or at the depth limit. The colour coming back is
// observed at each depth as the surface there tints it.
template <typename Observer>
Vec3Of<Observer> trace(Observer& observer, const ObservedFields<Observer>& fields, int depth,
                       RayOf<FloatOf<Observer>> ray) {
    using F = FloatOf<Observer>;
    RayOf<F> next;
    TintOf<F> tint;
    {
        const ObservedScope<Observer> scope(observer, "depth", depth);
        ray.origin = observeVec3(observer, "origin", ray.origin);
        ray.direction = observeVec3(observer, "direction", ray.direction);
        if (depth == kMaxDepth) return skyColor(observer, kSkyNoise, ray.origin, ray.direction);
        const MarchHitOf<F> hit = march(observer, fields, ray.origin, ray.direction);
        if (hit.distance > kSkyThreshold) {
            return skyColor(observer, kSkyNoise, ray.origin, ray.direction);
        }
        const Vec3Of<Observer> p =
            observeVec3(observer, "point", pointAlong(ray.origin, ray.direction, hit.distance));
        reflectAt(observer, ray, hit.material, p, normalAt(observer, fields, p, hit.material), next,
                  tint);
    }
    const Vec3Of<Observer> c = trace(observer, fields, depth + 1, next);
    const ObservedScope<Observer> scope(observer, "depth", depth);
    return observeVec3(observer, "colour", applyTint(tint, c));
}

template <typename Observer>
PixelBytes observedBytes(Observer& observer, Vec3Of<Observer> channels) {
    const ObservedScope<Observer> scope(observer, "pixel");
    channels = observeVec3(observer, "scaled", channels);
    const int32_t blue = plain(observer.value("blue", channelByte(channels.z)));
    const int32_t green = plain(observer.value("green", channelByte(channels.y)));
    const int32_t red = plain(observer.value("red", channelByte(channels.x)));
    return {static_cast<unsigned char>(blue), static_cast<unsigned char>(green),
            static_cast<unsigned char>(red)};
}

// The bytes of the pixel whose primary ray leaves the eye along the world direction d.
template <typename Observer>
PixelBytes shadePrimary(Observer& observer, const ObservedFields<Observer>& fields,
                        Vec3Of<Observer> d) {
    using F = FloatOf<Observer>;
    using V = Vec3Of<Observer>;
    bool seesSky;
    V sky = {};
    PrimaryRaysOf<F> rays = {};
    {
        const ObservedScope<Observer> scope(observer, "primary");
        const V origin = vector3<F>(kCameraOrigin);
        const MarchHitOf<F> hit = march(observer, fields, origin, d);
        seesSky = hit.distance > kSkyThreshold;
        if (seesSky) {
            sky = skyColor(observer, kSkyNoise, origin, d);
        } else {
            const V p = observeVec3(observer, "point", primaryHitPoint(d, hit.distance));
            rays = primaryReflectionsAt(observer, d, hit.material, p,
                                        normalAt(observer, fields, p, hit.material));
        }
    }
    if (seesSky) return observedBytes(observer, skyChannels(sky));
    V colours[4];
    for (int i = 0; i < rays.count; ++i) {
        const ObservedScope<Observer> scope(observer, "ray", i);
        colours[i] = trace(observer, fields, 1, rays.rays[i]);
    }
    return observedBytes(observer, surfaceChannels(rays, colours));
}

// The bytes of pixel x of row y (0 is the bottom row). An observer hears the sculpture's frame
// first (sculpture.frame.*), then the camera (camera.*) and everything after.
template <typename Observer>
PixelBytes shadePixel(Observer& observer, int x, int y) {
    const ObservedFields<Observer> fields = {formScene(observer)};
    return shadePrimary(observer, fields, primaryDirection(observer, x, y));
}

Vec3 trace(int depth, const Vec3& origin, Vec3 direction);
PixelBytes shadePrimary(Vec3 d);
PixelBytes shadePixel(int x, int y);

}  // namespace rm::reference
