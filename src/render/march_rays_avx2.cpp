#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/field_kernels.h"
#include "scene/sculpture_lanes.h"
#include "simd/lane_ops_avx2.h"

namespace rm::avx2 {
namespace {

// The candidate capsules of the lanes, a point per lane.
struct CapsuleSculpture {
    static LaneOpsAvx2::F at(const FramePointLanes<LaneOpsAvx2>& q, LaneOpsAvx2::F, int need) {
        return sculptureInFrameLanes<LaneOpsAvx2>(q, need);
    }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx2, CapsuleSculpture, 3>(rays, count, hits);
}

}  // namespace rm::avx2
