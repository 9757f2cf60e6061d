#pragma once

// The capsules of the sculpture as lanes of a set of lane operations V, each through the full
// formula with its turns' cosines and sines: the 18 capsules fill whole registers, padded with
// copies of the first. With one lane (LaneOpsScalar) this is the plain evaluation of one capsule,
// which the bounded search and non-finite points take.
#include "scene/far_limit.h"
#include "scene/sculpture.h"
#include "simd/lane_ops_scalar.h"

namespace rm {

template <int kCount>
struct CapsuleTable {
    alignas(64) float x[kCount];
    alignas(64) float y[kCount];
    alignas(64) float z[kCount];
    alignas(64) float cA[kCount];
    alignas(64) float sA[kCount];
    alignas(64) float cB[kCount];
    alignas(64) float sB[kCount];
    alignas(64) float halfLength[kCount];
    alignas(64) float length[kCount];
};

template <int kCount>
constexpr CapsuleTable<kCount> makeCapsuleTable() {
    CapsuleTable<kCount> table{};
    for (int i = 0; i < kCount; ++i) {
        const Capsule& c = kSculptureCapsules[i < kCapsuleCount ? i : 0];
        const CapsuleTurns turns = capsuleTurns(c);
        table.x[i] = c.position.x;
        table.y[i] = c.position.y;
        table.z[i] = c.position.z;
        table.cA[i] = turns.cA;
        table.sA[i] = turns.sA;
        table.cB[i] = turns.cB;
        table.sB[i] = turns.sB;
        table.halfLength[i] = c.length * 0.5f;
        table.length[i] = c.length;
    }
    return table;
}

// The capsules padded to whole registers of V, in table order.
template <class V>
struct CapsuleLanes {
    static constexpr int kCount = (kCapsuleCount + V::kWidth - 1) / V::kWidth * V::kWidth;
    static constexpr CapsuleTable<kCount> kTable = makeCapsuleTable<kCount>();
};

// The signed distances at the frame point (qx, qy, qz) of the capsules from `first` on, one per
// lane, before the running minimum.
template <class V>
__attribute__((always_inline)) inline typename V::F capsuleDistanceLanes(int first,
                                                                         typename V::F qx,
                                                                         typename V::F qy,
                                                                         typename V::F qz) {
    using F = typename V::F;
    const CapsuleTable<CapsuleLanes<V>::kCount>& k = CapsuleLanes<V>::kTable;
    const int g = first;
    const F five = V::setF(5.0f);
    const F ux = V::addF(qx, V::loadF(k.x + g));
    const F uy = V::addF(qy, V::loadF(k.y + g));
    const F uz = V::addF(qz, V::loadF(k.z + g));
    const F cA = V::loadF(k.cA + g);
    const F sA = V::loadF(k.sA + g);
    const F cB = V::loadF(k.cB + g);
    const F sB = V::loadF(k.sB + g);
    const F length = V::loadF(k.length + g);
    // Turn about x around the pivot height 5, then about z; t runs along the segment from one
    // end, x2 and z1 across it.
    const F y1 = V::addF(V::mulF(V::subF(uy, five), cA), V::mulF(uz, sA));
    const F z1 = V::addF(V::mulF(V::subF(five, uy), sA), V::mulF(uz, cA));
    const F t = V::addF(V::subF(V::loadF(k.halfLength + g), V::mulF(ux, sB)), V::mulF(y1, cB));
    const F x2 = V::addF(V::mulF(y1, sB), V::mulF(ux, cB));
    // Clamp to the segment: 0 unless 0 <= t, then the length unless c <= length.
    F c = V::selectF(V::leF(V::setF(0.0f), t), V::setF(0.0f), t);
    c = V::selectF(V::leF(c, length), length, c);
    const F e = V::subF(t, c);
    const F sum = V::addF(V::addF(V::mulF(z1, z1), V::mulF(x2, x2)), V::mulF(e, e));
    return V::subF(V::sqrtF(sum), V::setF(1.0f));
}

// The plain loop over the capsules in table order, one lane: m stays unless m <= d fails, which
// keeps the order of NaN replacements for a non-finite point.
inline float sculptureDistancePlainLoop(Vec3 q) {
    using V = LaneOpsScalar;
    float m = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const float d = capsuleDistanceLanes<V>(i, q.x, q.y, q.z);
        m = m <= d ? m : d;
    }
    return m;
}

}  // namespace rm
