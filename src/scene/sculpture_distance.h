#pragma once

// The sculpture's distance, each evaluation giving the very bits of the plain one:
//   sculptureDistanceInTableOrder  every capsule through the full formula in table order, plain
//                                  code: the form that keeps a non-finite point's NaNs
//   sculptureInFrameLanes          a frame point per lane, only the candidate capsules of the
//                                  lanes' cells, each capsule's turns folded in at compile time
//                                  (the march with a ray per lane, and sculptureDistance)
//   sculptureDistanceWithin        one point, nearest capsule first, exact only up to a limit
//   sculptureNearestLanes          a single ray's march: a cell's bound and its candidates inside
//                                  the grid, the box's bound and sculptureDistanceWithin beyond it
//   sculptureDistance              a world point, as the normals take it
// The tables are in sculpture.h, the bounds in sculpture_bound.h.
#include <stdint.h>

#include "math/vec3.h"
#include "scene/far_limit.h"
#include "scene/sculpture.h"
#include "scene/sculpture_bound.h"

namespace rm {

// Signed distance from a world point to the sculpture surface: never below -1, at most 4000. From
// the candidate capsules of the point's cell, as one lane of sculptureInFrameLanes.
float sculptureDistance(Vec3 p);

// The world point turned into the sculpture frame, where the capsule table lives.
Vec3 sculptureFramePoint(Vec3 p);

// sculptureDistance of the world point whose frame point is q, one capsule after the other in
// table order: m stays unless m <= d fails, which keeps the order of NaN replacements for a
// non-finite point.
float sculptureDistanceInTableOrder(Vec3 q);

// sculptureDistanceInTableOrder(q) wherever that is at most `limit` (at least -1); elsewhere
// some value above `limit` and at most 4000. Only the capsules that a conservative bound cannot
// rule out are evaluated, the nearest first, so a march pass that only needs to know whether the
// sculpture is nearer than the ground gets its exact answer from a capsule or two.
float sculptureDistanceWithin(Vec3 q, float limit);

// The sculpture at one frame point per lane, all candidate capsules in table order, written once
// for every set of lane operations. Each capsule's turns are folded in at compile time: a product
// with a cosine or sine of exactly 1 is the factor itself, and a term with a sine of 0 adds a zero,
// which can only change the sign of a zero that is squared or clamped later. So for a finite point
// every capsule distance, and the running minimum, is bit for bit the plain one's; non-finite
// points take sculptureDistanceInTableOrder, whose NaN rules the folding would not keep.

template <class V, int kIndex>
__attribute__((always_inline)) inline typename V::F capsuleLanes(const FramePointLanes<V>& q) {
    using F = typename V::F;
    constexpr Capsule kCapsule = kSculptureCapsules[kIndex];
    constexpr CapsuleTurns kTurns = capsuleTurns(kCapsule);
    static_assert(kTurns.sA == (kCapsule.turnsX != 0 ? 1.0f : 0.0f) &&
                  kTurns.sB == (kCapsule.turnsZ != 0 ? 1.0f : 0.0f) &&
                  kTurns.cA == quarterTurnCosine(kCapsule.turnsX) &&
                  kTurns.cB == quarterTurnCosine(kCapsule.turnsZ) &&
                  (kCapsule.turnsX == 0 || kCapsule.turnsZ == 0));
    const F five = V::setF(5.0f);
    const F half = V::setF(kCapsule.length * 0.5f);
    const F ux = V::addF(q.x, V::setF(kCapsule.position.x));
    const F uy = V::addF(q.y, V::setF(kCapsule.position.y));
    const F uz = V::addF(q.z, V::setF(kCapsule.position.z));
    F t, across1, across2;
    if constexpr (kCapsule.turnsX != 0) {
        const F c = V::setF(kTurns.cA);
        const F y1 = V::addF(V::mulF(V::subF(uy, five), c), uz);
        across1 = V::addF(V::subF(five, uy), V::mulF(uz, c));
        t = V::addF(half, y1);
        across2 = ux;
    } else if constexpr (kCapsule.turnsZ != 0) {
        const F c = V::setF(kTurns.cB);
        const F y1 = V::subF(uy, five);
        across1 = uz;
        t = V::addF(V::subF(half, ux), V::mulF(y1, c));
        across2 = V::addF(y1, V::mulF(ux, c));
    } else {
        across1 = uz;
        t = V::addF(half, V::subF(uy, five));
        across2 = ux;
    }
    const F zero = V::setF(0.0f);
    const F length = V::setF(kCapsule.length);
    F clamped = V::selectF(V::leF(zero, t), zero, t);
    clamped = V::selectF(V::leF(clamped, length), length, clamped);
    const F e = V::subF(t, clamped);
    const F sum =
        V::addF(V::addF(V::mulF(across1, across1), V::mulF(across2, across2)), V::mulF(e, e));
    return V::subF(V::sqrtF(sum), V::setF(1.0f));
}

// The running minimum over the candidate capsules from kIndex on, in table order: m stays unless
// m <= d fails, as in the plain loop. For finite points the capsules left out are further than
// one that is kept, so the minimum is the same.
template <class V, int kIndex>
__attribute__((always_inline)) inline void capsulesFromLanes(const FramePointLanes<V>& q,
                                                             uint32_t candidates,
                                                             typename V::F& m) {
    if constexpr (kIndex < kCapsuleCount) {
        if (candidates >> kIndex & 1) {
            const typename V::F d = capsuleLanes<V, kIndex>(q);
            m = V::selectF(V::leF(m, d), d, m);
        }
        capsulesFromLanes<V, kIndex + 1>(q, candidates, m);
    }
}

// The capsules that can be the nearest at the frame point of some lane of `need`.
template <class V>
__attribute__((always_inline)) inline uint32_t sculptureCandidateLanes(const FramePointLanes<V>& q,
                                                                       int need) {
    const SculptureCellLanes<V> cells = sculptureCellLanes<V>(q.x, q.y, q.z);
    if ((need & cells.outside) != 0) return kAllCapsules;
    alignas(64) int32_t index[V::kWidth];
    V::storeI(index, cells.index);
    uint32_t candidates = 0;
    for (int lane = 0; lane < V::kWidth; ++lane) {
        const uint32_t cell = kSculptureCells.candidates[index[lane] & (kCellCount - 1)];
        candidates |= (need >> lane & 1) ? cell : 0u;
    }
    return candidates;
}

// sculptureDistanceInTableOrder at the frame point of every lane of `need`, from the candidates
// of those lanes.
template <class V>
__attribute__((always_inline)) inline typename V::F sculptureOfCandidatesLanes(
    const FramePointLanes<V>& q, uint32_t candidates, int need) {
    using F = typename V::F;
    F m = V::setF(kFarLimit);
    capsulesFromLanes<V, 0>(q, candidates, m);
    // x - x is 0 for a finite x and NaN otherwise.
    const F spread = V::addF(V::addF(V::subF(q.x, q.x), V::subF(q.y, q.y)), V::subF(q.z, q.z));
    const int nonFinite = ~V::bitsF(V::ltF(spread, V::setF(1.0f))) & need;
    if (nonFinite != 0) {
        alignas(64) float frame[3][V::kWidth];
        alignas(64) float lanes[V::kWidth];
        V::storeF(frame[0], q.x);
        V::storeF(frame[1], q.y);
        V::storeF(frame[2], q.z);
        V::storeF(lanes, m);
        for (int lane = 0; lane < V::kWidth; ++lane) {
            if (nonFinite >> lane & 1) {
                lanes[lane] =
                    sculptureDistanceInTableOrder({frame[0][lane], frame[1][lane], frame[2][lane]});
            }
        }
        m = V::loadF(lanes);
    }
    return m;
}

// sculptureDistanceInTableOrder at the frame point of every lane of `need`.
template <class V>
__attribute__((always_inline)) inline typename V::F sculptureInFrameLanes(
    const FramePointLanes<V>& q, int need) {
    return sculptureOfCandidatesLanes<V>(q, sculptureCandidateLanes<V>(q, need), need);
}

// A single ray's sculpture at its frame point q: in the grid, nothing where the cell's lower bound
// lies beyond the limit, else the candidate capsules of the cell; beyond the grid, nothing where
// the bound of the segments' box rules it out, else one capsule at a time, only those a bound
// cannot rule out against the limit. "Nothing" is the far limit.
template <class V>
__attribute__((always_inline)) inline float sculptureNearestLanes(const FramePointLanes<V>& q,
                                                                  float limit) {
    const SculptureCellLanes<V> cells = sculptureCellLanes<V>(q.x, q.y, q.z);
    if (cells.outside == 0) {
        const int32_t index = cells.index & (kCellCount - 1);
        if (cellBeyond(index, limit)) return kFarLimit;
        return sculptureOfCandidatesLanes<V>(q, kSculptureCells.candidates[index], 1);
    }
    if (sculptureNeededLanes<V>(q.x, q.y, q.z, limit) == 0) return kFarLimit;
    return sculptureDistanceWithin({q.x, q.y, q.z}, limit);
}

}  // namespace rm
