#include "render/normal.h"

#include "math/float_ops.h"
#include "scene/far_limit.h"
#include "scene/scene_noise.h"
#include "scene/sculpture_distance.h"

namespace rm {

Vec3 estimateNormal(const KernelTable& kernels, Vec3 p, Material material) {
    const float h = kNormalStep;
    const Vec3 points[6] = {{p.x + h, p.y, p.z}, {p.x - h, p.y, p.z}, {p.x, p.y + h, p.z},
                            {p.x, p.y - h, p.z}, {p.x, p.y, p.z + h}, {p.x, p.y, p.z - h}};
    float f[6];
    if (material == Material::Ground) {
        kernels.groundDistanceMany(kScenePlaneHashes, points, 6, f);
        for (float& g : f)
            g = g > 0.0f && !(kFarLimit <= g) ? g : kFarLimit;
    } else {
        for (int i = 0; i < 6; ++i) {
            const float s = sculptureDistance(points[i]);
            f[i] = s <= kFarLimit ? s : kFarLimit;
        }
    }
    const float dx = f[0] - f[1];
    const float dy = f[2] - f[3];
    const float dz = f[4] - f[5];
    const float k = 1.0f / sqrtF((dx * dx + dy * dy) + dz * dz);
    return {dx * k, dy * k, dz * k};
}

}  // namespace rm
