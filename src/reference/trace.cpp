#include "reference/trace.h"

#include "noise/noise_objects.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "reference/normal.h"
#include "reference/sky.h"
#include "render/camera.h"
#include "render/reflection.h"
#include "render/shading_constants.h"

namespace rm::reference {
namespace {

Vec3 normalAt(Vec3 p, Material material) {
    return estimateNormal(SceneFields{}, p, material != Material::Ground,
                          material != Material::Sculpture);
}

}  // namespace

Vec3 trace(int depth, const Vec3& origin, Vec3 direction) {
    if (depth == kMaxDepth) return skyColor(*skyNoise, origin, direction);
    const MarchHit hit = march(SceneFields{}, origin, direction);
    if (hit.distance > kSkyThreshold) return skyColor(*skyNoise, origin, direction);
    const Vec3 p = pointAlong(origin, direction, hit.distance);
    const Reflection next =
        reflectAt({origin, direction}, hit.material, p, normalAt(p, hit.material));
    return applyTint(next.tint, trace(depth + 1, next.ray.origin, next.ray.direction));
}

PixelBytes shadePrimary(Vec3 d) {
    const MarchHit hit = march(SceneFields{}, kCameraOrigin, d);
    if (hit.distance > kSkyThreshold) return skyBytes(skyColor(*skyNoise, kCameraOrigin, d));
    const Vec3 p = primaryHitPoint(d, hit.distance);
    const PrimaryRays rays = primaryReflectionsAt(d, hit.material, p, normalAt(p, hit.material));
    Vec3 colours[4];
    for (int i = 0; i < rays.count; ++i)
        colours[i] = trace(1, rays.rays[i].origin, rays.rays[i].direction);
    return surfaceBytes(rays, colours);
}

PixelBytes shadePixel(int x, int y) { return shadePrimary(primaryDirection(cameraRow(y), x)); }

}  // namespace rm::reference
