#include "scene/sculpture.h"

#include "scene/capsule_lanes.h"
#include "scene/field_kernels.h"
#include "scene/sculpture_frame.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"
#include "simd/wide_scalar.h"
#if defined(__wasm_simd128__)
#include "simd/wide_wasm.h"
#endif

namespace rm {

Vec3 sculptureFramePoint(Vec3 p) {
    const FramePointLanes<LaneOpsScalar> q = sculptureFramePointLanes<LaneOpsScalar>(p.x, p.y, p.z);
    return {q.x, q.y, q.z};
}

float sculptureDistance(Vec3 p) { return sculptureDistanceInFrame(sculptureFramePoint(p)); }

float sculptureDistanceInFrame(Vec3 q) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            return avx512::sculptureDistanceInFrame(q);
        case SimdLevel::Avx2:
            return avx2::sculptureDistanceInFrame(q);
        case SimdLevel::Scalar:
            break;
    }
#endif
#if defined(__wasm_simd128__)
    return sculptureDistanceCapsuleLanes<WideWasm>(q);
#else
    return sculptureDistanceInFrameScalar(q);
#endif
}

float sculptureDistanceInFrameScalar(Vec3 q) {
    return sculptureDistanceCapsuleLanes<WideScalar>(q);
}

}  // namespace rm
