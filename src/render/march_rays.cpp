#include "render/march_rays.h"

#include "math/simd_level.h"
#include "render/march_rays_kernels.h"
#include "simd/lane_ops_scalar.h"
#include "simd/march_lanes.h"

namespace rm {

void marchRays(const Ray* rays, int count, MarchHit* hits) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            marchRaysAvx512(rays, count, hits);
            return;
        case SimdLevel::Avx2:
            marchRaysAvx2(rays, count, hits);
            return;
        case SimdLevel::Scalar:
            break;
    }
#endif
    // Without vector lanes, several single rays are still marched side by side.
    marchRaysLanes<LaneOpsScalar, 4>(rays, count, hits);
}

}  // namespace rm
