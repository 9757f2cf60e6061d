// The distance fields with AVX-512 lanes: every value bit for bit the scalar one.
#include "scene/field_kernels.h"
#include "simd/capsule_lanes.h"
#include "simd/ground_lanes.h"
#include "simd/lane_ops_avx512.h"
#include "simd/wide_avx512.h"

namespace rm {

void groundDistanceManyAvx512(const PlaneHashes& hashes, const Vec3* points, int count,
                              float* out) {
    groundDistanceManyLanes<LaneOpsAvx512>(hashes, points, count, out);
}

float sculptureDistanceInFrameAvx512(Vec3 q) {
    return sculptureDistanceCapsuleLanes<WideAvx512>(q);
}

}  // namespace rm
