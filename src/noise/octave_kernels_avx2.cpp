#include "noise/octave_kernels.h"
#include "simd/lane_ops_avx2.h"
#include "simd/octave_noise_lanes.h"

namespace rm {

double octaveNoisePlaneAvx2(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
    return octaveNoisePlaneLanes<LaneOpsAvx2>(hashes, octaves, x, y);
}

}  // namespace rm
