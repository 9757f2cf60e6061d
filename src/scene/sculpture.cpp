#include "scene/sculpture.h"

#include "scene/capsule_distance.h"
#include "scene/sculpture_frame.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

Vec3 sculptureFramePoint(Vec3 p) {
    const FramePointLanes<LaneOpsScalar> q = sculptureFramePointLanes<LaneOpsScalar>(p.x, p.y, p.z);
    return {q.x, q.y, q.z};
}

float sculptureDistance(Vec3 p) { return sculptureDistanceInFrameScalar(sculptureFramePoint(p)); }

float sculptureDistanceInFrameScalar(Vec3 q) { return sculptureDistancePlainLoop(q); }

}  // namespace rm
