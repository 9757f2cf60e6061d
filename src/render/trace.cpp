#include "render/trace.h"

#include "render/march.h"
#include "render/reflection.h"
#include "render/scene_fields.h"
#include "render/shading_constants.h"
#include "render/sky.h"

namespace rm {

Vec3 trace(int depth, const Vec3& origin, Vec3 direction) {
    if (depth == kMaxDepth) return skyColor(origin, direction);
    const MarchHit hit = march(SceneFields{}, origin, direction);
    if (hit.distance > kSkyThreshold) return skyColor(origin, direction);
    const Reflection next = reflectAtHit({origin, direction}, hit.material, hit.distance);
    return applyTint(next.tint, trace(depth + 1, next.ray.origin, next.ray.direction));
}

}  // namespace rm
