#pragma once

#include "math/vec3.h"
#include "noise/noise_objects.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "reference/normal.h"
#include "reference/observer.h"
#include "reference/sky.h"
#include "render/camera.h"
#include "render/pixel_shading.h"
#include "render/reflection.h"
#include "render/shading_constants.h"

namespace rm::reference {

template <typename Observer>
Vec3 normalAt(Observer& observer, Vec3 p, Material material) {
    return estimateNormal(observer, SceneFields{}, p, material != Material::Ground,
                          material != Material::Sculpture);
}

// The reflection of a ray at depth 1..4 that met a surface, or the sky colour where the ray meets
// nothing or is at depth 5.
struct TraceStep {
    bool ended;
    Vec3 sky;
    Reflection next;
};

template <typename Observer>
TraceStep traceStep(Observer& observer, int depth, const Vec3& origin, Vec3 direction) {
    const ObservedScope<Observer> scope(observer, "depth", depth);
    observeVec3(observer, "origin", origin);
    observeVec3(observer, "direction", direction);
    if (depth == kMaxDepth) return {true, skyColor(observer, *skyNoise, origin, direction), {}};
    const MarchHit hit = march(observer, SceneFields{}, origin, direction);
    if (hit.distance > kSkyThreshold) {
        return {true, skyColor(observer, *skyNoise, origin, direction), {}};
    }
    const Vec3 p = pointAlong(origin, direction, hit.distance);
    observeVec3(observer, "point", p);
    const Reflection next =
        reflectAt({origin, direction}, hit.material, p, normalAt(observer, p, hit.material));
    if (hit.material == Material::Ground) {
        observer.value("tint.k", next.tint.k);
        observer.value("tint.b", next.tint.b);
    }
    return {false, {}, next};
}

// Colour seen along a reflection ray at depth 1..5: marched, reflected once more at a surface,
// and ending in the sky at the first miss or at the depth limit. The colour coming back is
// observed at each depth as the surface there tints it.
template <typename Observer>
Vec3 trace(Observer& observer, int depth, const Vec3& origin, Vec3 direction) {
    const TraceStep step = traceStep(observer, depth, origin, direction);
    if (step.ended) return step.sky;
    const Vec3 c = trace(observer, depth + 1, step.next.ray.origin, step.next.ray.direction);
    const ObservedScope<Observer> scope(observer, "depth", depth);
    const Vec3 tinted = applyTint(step.next.tint, c);
    observeVec3(observer, "colour", tinted);
    return tinted;
}

template <typename Observer>
PixelBytes observedBytes(Observer& observer, Vec3 channels) {
    const ObservedScope<Observer> scope(observer, "pixel");
    observeVec3(observer, "scaled", channels);
    const PixelBytes bytes = channelBytes(channels);
    observer.value("blue", int{bytes.blue});
    observer.value("green", int{bytes.green});
    observer.value("red", int{bytes.red});
    return bytes;
}

// The bytes of the pixel whose primary ray leaves the eye along the world direction d.
template <typename Observer>
PixelBytes shadePrimary(Observer& observer, Vec3 d) {
    bool seesSky;
    Vec3 sky = {};
    PrimaryRays rays = {};
    {
        const ObservedScope<Observer> scope(observer, "primary");
        const MarchHit hit = march(observer, SceneFields{}, kCameraOrigin, d);
        seesSky = hit.distance > kSkyThreshold;
        if (seesSky) {
            sky = skyColor(observer, *skyNoise, kCameraOrigin, d);
        } else {
            const Vec3 p = primaryHitPoint(d, hit.distance);
            observeVec3(observer, "point", p);
            rays = primaryReflectionsAt(d, hit.material, p, normalAt(observer, p, hit.material));
            if (hit.material == Material::Ground) observer.value("k", rays.k);
        }
    }
    if (seesSky) return observedBytes(observer, skyChannels(sky));
    Vec3 colours[4];
    for (int i = 0; i < rays.count; ++i) {
        const ObservedScope<Observer> scope(observer, "ray", i);
        colours[i] = trace(observer, 1, rays.rays[i].origin, rays.rays[i].direction);
    }
    return observedBytes(observer, surfaceChannels(rays, colours));
}

// The bytes of pixel x of row y (0 is the bottom row).
template <typename Observer>
PixelBytes shadePixel(Observer& observer, int x, int y) {
    const Vec3 d = primaryDirection(cameraRow(y), x);
    observeVec3(observer, "camera.direction", d);
    return shadePrimary(observer, d);
}

Vec3 trace(int depth, const Vec3& origin, Vec3 direction);
PixelBytes shadePrimary(Vec3 d);
PixelBytes shadePixel(int x, int y);

}  // namespace rm::reference
