#include "render/march_rays.h"

#include "render/march_lanes.h"
#include "render/march_rays_kernels.h"
#include "scene/sculpture_within.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"
#if defined(__wasm_simd128__)
#include "scene/capsule_lanes.h"
#include "simd/lane_ops_wasm.h"
#include "simd/wide_wasm.h"
#endif

namespace rm {
namespace {

// One capsule at a time, only those a bound cannot rule out against the limit.
struct NearestCapsulesSculpture {
    static float at(Vec3 q, float limit) { return sculptureDistanceWithin(q, limit); }
};

#if defined(__wasm_simd128__)
struct CapsuleSculpture {
    static float at(Vec3 q, float) { return sculptureDistanceCapsuleLanes<WideWasm>(q); }
};
#endif

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
    // Without vector lanes, several single rays are still marched side by side.
    marchRaysLanes<LaneOpsScalar, NearestCapsulesSculpture, 4>(rays, count, hits);
#endif
}

}  // namespace rm
