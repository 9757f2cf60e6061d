#include "scene/ground.h"

#include "noise/noise_objects.h"
#include "scene/field_kernels.h"
#include "scene/ground_lanes.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"
#if defined(__wasm_simd128__)
#include "simd/lane_ops_wasm.h"
#endif

namespace rm {

void groundDistanceMany(const Vec3* points, int count, float* out) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            avx512::groundDistanceMany(*groundHashes, points, count, out);
            return;
        case SimdLevel::Avx2:
            avx2::groundDistanceMany(*groundHashes, points, count, out);
            return;
        case SimdLevel::Scalar:
            break;
    }
#endif
#if defined(__wasm_simd128__)
    groundDistanceManyLanes<LaneOpsWasm>(*groundHashes, points, count, out);
#else
    groundDistanceManyLanes<LaneOpsScalar>(*groundHashes, points, count, out);
#endif
}

}  // namespace rm
