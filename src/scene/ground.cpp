#include "scene/ground.h"

#include "scene/ground_lanes.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

void groundDistanceMany(const PlaneHashes& ground, const Vec3* points, int count, float* out) {
    groundDistanceManyLanes<LaneOpsScalar>(ground, points, count, out);
}

}  // namespace rm
