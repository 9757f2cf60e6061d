#include "render/march_rays.h"

#include "math/simd_level.h"
#include "render/march_rays_kernels.h"
#include "simd/lane_ops_scalar.h"
#if defined(__wasm_simd128__)
#include "simd/lane_ops_wasm.h"
#endif
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
#if defined(__wasm_simd128__)
    // WebAssembly has no run-time test for its vector instructions: a module built with them
    // uses them.
    marchRaysLanes<LaneOpsWasm, 2>(rays, count, hits);
#else
    // Without vector lanes, several single rays are still marched side by side.
    marchRaysLanes<LaneOpsScalar, 4>(rays, count, hits);
#endif
}

}  // namespace rm
