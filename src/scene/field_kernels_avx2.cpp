// The distance fields with Avx2 lanes. Lane arithmetic is IEEE add, subtract, multiply and square
// root, each rounded like the scalar operation and never fused; selections are exact blends. So
// every value is bit for bit the plain one.
#include "scene/capsule_lanes.h"
#include "scene/field_kernels.h"
#include "scene/ground_lanes.h"
#include "simd/lane_ops_avx2.h"
#include "simd/wide_avx2.h"

namespace rm::avx2 {

void groundDistanceMany(const PlaneHashes& hashes, const Vec3* points, int count, float* out) {
    groundDistanceManyLanes<LaneOpsAvx2>(hashes, points, count, out);
}

float sculptureDistanceInFrame(Vec3 q) { return sculptureDistanceCapsuleLanes<WideAvx2>(q); }

}  // namespace rm::avx2
