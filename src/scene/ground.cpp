#include "scene/ground.h"

#include "noise/noise_objects.h"
#include "scene/ground_lanes.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

void groundDistanceMany(const Vec3* points, int count, float* out) {
    groundDistanceManyLanes<LaneOpsScalar>(*groundHashes, points, count, out);
}

}  // namespace rm
