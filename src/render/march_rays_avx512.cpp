#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/sculpture_lanes.h"
#include "simd/lane_ops_avx512.h"

namespace rm::avx512 {
namespace {

// The candidate capsules of the lanes, a point per lane: cheaper than the capsules as lanes one
// point at a time once a few lanes need the sculpture.
struct CapsuleSculpture {
    static LaneOpsAvx512::F at(const FramePointLanes<LaneOpsAvx512>& q, LaneOpsAvx512::F,
                               int need) {
        return sculptureInFrameLanes<LaneOpsAvx512>(q, need);
    }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx512, CapsuleSculpture, 2>(rays, count, hits);
}

}  // namespace rm::avx512
