#include "noise/octave_noise.h"

#include "noise/octave_kernels.h"
#include "noise/octave_noise_lanes.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"
#if defined(__wasm_simd128__)
#include "simd/lane_ops_wasm.h"
#endif

namespace rm {

double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            return avx512::octaveNoisePlane(hashes, octaves, x, y);
        case SimdLevel::Avx2:
            return avx2::octaveNoisePlane(hashes, octaves, x, y);
        case SimdLevel::Scalar:
            break;
    }
#endif
#if defined(__wasm_simd128__)
    return octaveNoisePlaneLanes<LaneOpsWasm>(hashes, octaves, x, y);
#else
    return octaveNoisePlaneLanes<LaneOpsScalar>(hashes, octaves, x, y);
#endif
}

}  // namespace rm
