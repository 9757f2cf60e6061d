#include "scene/sculpture_distance.h"

#include "math/float_ops.h"
#include "simd/lane_ops_scalar.h"

namespace rm {
namespace {

// The signed distance at the frame point (qx, qy, qz) of capsule i, before the running minimum.
__attribute__((always_inline)) inline float capsuleDistance(int i, float qx, float qy, float qz) {
    const CapsuleTable& k = kCapsuleTable;
    const float ux = qx + k.x[i];
    const float uy = qy + k.y[i];
    const float uz = qz + k.z[i];
    const float cA = k.cA[i];
    const float sA = k.sA[i];
    const float cB = k.cB[i];
    const float sB = k.sB[i];
    const float length = k.length[i];
    // Turn about x around the pivot height 5, then about z; t runs along the segment from one
    // end, x2 and z1 across it.
    const float y1 = (uy - 5.0f) * cA + uz * sA;
    const float z1 = (5.0f - uy) * sA + uz * cA;
    const float t = (k.halfLength[i] - ux * sB) + y1 * cB;
    const float x2 = y1 * sB + ux * cB;
    // Clamp to the segment: 0 unless 0 <= t, then the length unless c <= length.
    float c = 0.0f <= t ? t : 0.0f;
    c = c <= length ? c : length;
    const float e = t - c;
    return sqrtF((z1 * z1 + x2 * x2) + e * e) - 1.0f;
}

}  // namespace

Vec3 sculptureFramePoint(Vec3 p) {
    const FramePointLanes<LaneOpsScalar> q = sculptureFramePointLanes<LaneOpsScalar>(p.x, p.y, p.z);
    return {q.x, q.y, q.z};
}

float sculptureDistance(Vec3 p) {
    const Vec3 q = sculptureFramePoint(p);
    return sculptureInFrameLanes<LaneOpsScalar>({q.x, q.y, q.z}, 1);
}

float sculptureDistanceInTableOrder(Vec3 q) {
    float m = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const float d = capsuleDistance(i, q.x, q.y, q.z);
        m = m <= d ? m : d;
    }
    return m;
}

float sculptureDistanceWithin(Vec3 q, float limit) {
    // The bounds below need finite values; a non-finite point keeps the order of NaN
    // replacements of the full evaluation.
    if (!(__builtin_isfinite(q.x) && __builtin_isfinite(q.y) && __builtin_isfinite(q.z))) {
        return sculptureDistanceInTableOrder(q);
    }
    // Squared distances to the segments, whose bounds allow for the slack. Without NaNs the
    // running minimum is the plain minimum, so a capsule whose bound exceeds a distance already
    // found cannot change it.
    float squared[kCapsuleCount];
    int nearest = 0;
    squared[0] = __builtin_inff();
    const float coordinates[3] = {q.x, q.y, q.z};
    for (int axis = 0; axis < 3; ++axis) {
        const AxisSegments& s = kAxisSegments.axes[axis];
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
