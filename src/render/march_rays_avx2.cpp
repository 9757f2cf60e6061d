#include "render/march_rays_kernels.h"
#include "simd/lane_ops_avx2.h"
#include "simd/march_lanes.h"

namespace rm {

void marchRaysAvx2(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx2, 3>(rays, count, hits);
}

}  // namespace rm
