#include "noise/octave_kernels.h"
#include "noise/octave_noise_lanes.h"
#include "simd/lane_ops_avx512.h"

namespace rm::avx512 {

double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
    return octaveNoisePlaneLanes<LaneOpsAvx512>(hashes, octaves, x, y);
}

}  // namespace rm::avx512
