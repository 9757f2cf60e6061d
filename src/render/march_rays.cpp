#include "render/march_rays.h"

#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/sculpture_lanes.h"
#include "scene/sculpture_within.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"
#if defined(__wasm_simd128__)
#include "simd/lane_ops_wasm.h"
#endif

namespace rm {
namespace {

// In the grid around the sculpture, the candidate capsules of the point's cell; beyond it, one
// capsule at a time, only those a bound cannot rule out against the limit.
struct NearestCapsulesSculpture {
    static float at(const FramePointLanes<LaneOpsScalar>& q, float limit, int) {
        const uint32_t candidates = sculptureCandidateLanes<LaneOpsScalar>(q, 1);
        if (candidates == kAllCapsules) return sculptureDistanceWithin({q.x, q.y, q.z}, limit);
        return sculptureOfCandidatesLanes<LaneOpsScalar>(q, candidates, 1);
    }
};

#if defined(__wasm_simd128__)
// The candidate capsules of the lanes, a point per lane.
struct CapsuleSculpture {
    static LaneOpsWasm::F at(const FramePointLanes<LaneOpsWasm>& q, LaneOpsWasm::F, int need) {
        return sculptureInFrameLanes<LaneOpsWasm>(q, need);
    }
};
#endif

// Without vector lanes, a processor that overlaps work still overlaps the passes of four single
// rays marched side by side; under an emulator the spills and reloads of four rays' values cost
// more than the overlap gains (8 % of a riscv64 frame).
constexpr int kScalarGroups = kScalarOverlapsWork ? 4 : 1;

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
#if defined(__wasm_simd128__)
    // WebAssembly has no run-time test for its vector instructions: a module built with them
    // uses them.
    marchRaysLanes<LaneOpsWasm, CapsuleSculpture, 2>(rays, count, hits);
#else
    marchRaysLanes<LaneOpsScalar, NearestCapsulesSculpture, kScalarGroups>(rays, count, hits);
#endif
}

}  // namespace rm
