#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/field_kernels.h"
#include "simd/lane_ops_avx2.h"

namespace rm::avx2 {
namespace {

struct CapsuleSculpture {
    static float at(Vec3 q, float) { return avx2::sculptureDistanceInFrame(q); }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx2, CapsuleSculpture, 3>(rays, count, hits);
}

}  // namespace rm::avx2
