#include "render/trace.h"

#include "math/float_ops.h"
#include "render/march.h"
#include "render/normal.h"
#include "render/scene_fields.h"
#include "render/shading_constants.h"
#include "render/sky.h"

namespace rm {

Vec3 trace(int depth, const Vec3& origin, Vec3 direction) {
    if (depth == kMaxDepth) return skyColor(origin, direction);
    const SceneFields fields;
    const MarchHit hit = march(fields, origin, direction);
    const float t = hit.distance;
    if (t > kSkyThreshold) return skyColor(origin, direction);

    const Vec3 d = direction;
    const Vec3 p = pointAlong(origin, d, t);
    const Vec3 n = estimateNormal(fields, p, hit.material != Material::Ground,
                                  hit.material != Material::Sculpture);
    const Vec3 r = reflect(d, n);
    const Vec3 q = liftOff(p, r);
    if (hit.material == Material::Sculpture) {
        const Vec3 c = trace(depth + 1, q, r);
        return {c.x * kSculptureReflectance + kSculptureGlow,
                c.y * kSculptureReflectance + kSculptureGlow,
                c.z * kSculptureReflectance + kSculptureGlow};
    }
    // Ground: weight by the reflection angle, z term first, and tint the blue channel.
    const float k = absF((d.z * r.z + d.x * r.x) + d.y * r.y);
    const float b = (1.0f - k) * kGroundBlueTint;
    const Vec3 c = trace(depth + 1, q, r);
    return {k * c.x, k * c.y, k * c.z + b};
}

}  // namespace rm
