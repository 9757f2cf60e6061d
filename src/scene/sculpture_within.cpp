#include "scene/sculpture_within.h"

#include "math/float_ops.h"
#include "scene/capsule_distance.h"
#include "scene/far_limit.h"
#include "scene/sculpture.h"
#include "simd/lane_ops_scalar.h"

namespace rm {
namespace {

// The segments that run along one axis: for each, its capsule, and its centre in the frame,
// (-x, 5 - y, -z) of its position, split into the coordinate along the axis and the two across.
struct AxisSegments {
    int count;
    int capsule[kCapsuleCount];
    float along[kCapsuleCount];
    float across1[kCapsuleCount];
    float across2[kCapsuleCount];
    float half[kCapsuleCount];
};

struct SegmentTable {
    AxisSegments axes[3];
};

constexpr SegmentTable makeSegmentTable() {
    SegmentTable table{};
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Segment segment = capsuleSegment(kSculptureCapsules[i]);
        const int axis = segment.axis;
        const float* centre = segment.centre;
        AxisSegments& s = table.axes[axis];
        s.capsule[s.count] = i;
        s.along[s.count] = centre[axis];
        s.across1[s.count] = centre[axis == 0 ? 1 : 0];
        s.across2[s.count] = centre[axis == 2 ? 1 : 2];
        s.half[s.count] = segment.half;
        ++s.count;
    }
    return table;
}

constexpr SegmentTable kSegments = makeSegmentTable();

}  // namespace

float sculptureDistanceWithin(Vec3 q, float limit) {
    // The bounds below need finite values; a non-finite point keeps the order of NaN
    // replacements of the full evaluation.
    if (!(__builtin_isfinite(q.x) && __builtin_isfinite(q.y) && __builtin_isfinite(q.z))) {
        return sculptureDistanceInFrameScalar(q);
    }
    // Squared distances to the segments, whose bounds allow for the slack. Without NaNs the
    // running minimum is the plain minimum, so a capsule whose bound exceeds a distance already
    // found cannot change it.
    float squared[kCapsuleCount];
    int nearest = 0;
    squared[0] = __builtin_inff();
    const float coordinates[3] = {q.x, q.y, q.z};
    for (int axis = 0; axis < 3; ++axis) {
        const AxisSegments& s = kSegments.axes[axis];
        const float along = coordinates[axis];
        const float across1 = coordinates[axis == 0 ? 1 : 0];
        const float across2 = coordinates[axis == 2 ? 1 : 2];
        for (int k = 0; k < s.count; ++k) {
            float beyond = absF(along - s.along[k]) - s.half[k];
            beyond = beyond > 0.0f ? beyond : 0.0f;
            const float d1 = across1 - s.across1[k];
            const float d2 = across2 - s.across2[k];
            const int i = s.capsule[k];
            squared[i] = (beyond * beyond + d1 * d1) + d2 * d2;
            nearest = squared[i] < squared[nearest] ? i : nearest;
        }
    }
    const float slack = 1.0f + ((absF(q.x) + absF(q.y)) + absF(q.z) + kSlackOffset) * kSlackScale;
    float m = kFarLimit;
    float reach = (limit < m ? limit : m) + slack;
    float reachSquared = reach * reach;
    auto visit = [&](int i) {
        if (squared[i] > reachSquared) return;
        const float dist = capsuleDistance(i, q.x, q.y, q.z);
        if (!(m <= dist)) {
            m = dist;
            reach = (limit < m ? limit : m) + slack;
            reachSquared = reach * reach;
        }
    };
    visit(nearest);
    for (int i = 0; i < kCapsuleCount; ++i) {
        if (i != nearest) visit(i);
    }
    return m;
}

}  // namespace rm
