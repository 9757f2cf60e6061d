#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/capsule_lanes.h"
#include "simd/lane_ops_avx512.h"
#include "simd/wide_avx512.h"

namespace rm::avx512 {
namespace {

// The capsule lanes inline in the march.
struct CapsuleSculpture {
    static float at(Vec3 q, float) { return sculptureDistanceCapsuleLanes<WideAvx512>(q); }
};

}  // namespace

void marchRays(const Ray* rays, int count, MarchHit* hits) {
    marchRaysLanes<LaneOpsAvx512, CapsuleSculpture, 2>(rays, count, hits);
}

}  // namespace rm::avx512
