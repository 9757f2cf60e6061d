#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/field_kernels.h"
#include "simd/lane_ops_avx2.h"

namespace rm::avx2 {
namespace {

// With four lanes the capsules as lanes, one point at a time, remain the cheaper way.
struct CapsuleSculpture {
    static LaneOpsAvx2::F at(const FramePointLanes<LaneOpsAvx2>& q, LaneOpsAvx2::F limit,
                             int need) {
        return sculptureLaneByLane<LaneOpsAvx2>(
            q, limit, need, [](Vec3 p, float) { return avx2::sculptureDistanceInFrame(p); });
    }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx2, CapsuleSculpture, 3>(rays, count, hits);
}

}  // namespace rm::avx2
