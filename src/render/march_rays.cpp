#include "render/march_rays.h"

#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/sculpture.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"

namespace rm {
namespace {

struct LoopSculpture {
    static float at(Vec3 q) { return sculptureDistanceInFrameScalar(q); }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            avx512::marchRays(rays, count, hits);
            return;
        case SimdLevel::Avx2:
            avx2::marchRays(rays, count, hits);
            return;
        case SimdLevel::Scalar:
            break;
    }
#endif
    // Without vector lanes, several single rays are still marched side by side.
    marchRaysLanes<LaneOpsScalar, LoopSculpture, 4>(rays, count, hits);
}

}  // namespace rm
