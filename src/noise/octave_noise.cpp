#include "noise/octave_noise.h"

#include "noise/octave_noise_lanes.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
    return octaveNoisePlaneLanes<LaneOpsScalar>(hashes, octaves, x, y);
}

}  // namespace rm
