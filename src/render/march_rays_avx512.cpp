#include "render/march_rays_kernels.h"
#include "simd/lane_ops_avx512.h"
#include "simd/march_lanes.h"

namespace rm {

void marchRaysAvx512(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx512, 2>(rays, count, hits);
}

}  // namespace rm
