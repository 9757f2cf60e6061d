#pragma once

// The sculpture at one point with its capsules as lanes, written once for each register width.
// W supplies the float operations of one register of kWidth lanes; the 18 capsules fill whole
// registers, padded with copies of the first capsule, which leave the minimum unchanged. With one
// lane (WideScalar) this is the plain loop over the capsules in table order.
#include "scene/far_limit.h"
#include "scene/sculpture.h"

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

// The capsules padded to whole registers of W, in table order.
template <class W>
struct CapsuleLanes {
    static constexpr int kCount = (kCapsuleCount + W::kWidth - 1) / W::kWidth * W::kWidth;
    static constexpr CapsuleTable<kCount> kTable = makeCapsuleTable<kCount>();
};

// The signed distances at the frame point (qx, qy, qz) of the capsules from `first` on, one per
// lane, before the running minimum.
template <class W>
__attribute__((always_inline)) inline typename W::F capsuleDistanceLanes(int first,
                                                                         typename W::F qx,
                                                                         typename W::F qy,
                                                                         typename W::F qz) {
    using F = typename W::F;
    const CapsuleTable<CapsuleLanes<W>::kCount>& k = CapsuleLanes<W>::kTable;
    const int g = first;
    const F five = W::set(5.0f);
    const F ux = W::add(qx, W::load(k.x + g));
    const F uy = W::add(qy, W::load(k.y + g));
    const F uz = W::add(qz, W::load(k.z + g));
    const F cA = W::load(k.cA + g);
    const F sA = W::load(k.sA + g);
    const F cB = W::load(k.cB + g);
    const F sB = W::load(k.sB + g);
    const F length = W::load(k.length + g);
    // Turn about x around the pivot height 5, then about z; t runs along the segment from one
    // end, x2 and z1 across it.
    const F y1 = W::add(W::mul(W::sub(uy, five), cA), W::mul(uz, sA));
    const F z1 = W::add(W::mul(W::sub(five, uy), sA), W::mul(uz, cA));
    const F t = W::add(W::sub(W::load(k.halfLength + g), W::mul(ux, sB)), W::mul(y1, cB));
    const F x2 = W::add(W::mul(y1, sB), W::mul(ux, cB));
    // Clamp to the segment: 0 unless 0 <= t, then the length unless c <= length.
    const F c = W::clamp(t, length);
    const F e = W::sub(t, c);
    const F sum = W::add(W::add(W::mul(z1, z1), W::mul(x2, x2)), W::mul(e, e));
    return W::sub(W::sqrt(sum), W::set(1.0f));
}

template <class W>
float sculptureDistanceCapsuleLanes(Vec3 q) {
    // With a finite point no lane is NaN, so the lane minimum equals the running minimum of the
    // loop; a non-finite point keeps the loop's order of NaN replacements.
    if constexpr (W::kWidth > 1) {
        if (!(__builtin_isfinite(q.x) && __builtin_isfinite(q.y) && __builtin_isfinite(q.z))) {
            return sculptureDistanceInFrameScalar(q);
        }
    }
    using F = typename W::F;
    const F qx = W::set(q.x);
    const F qy = W::set(q.y);
    const F qz = W::set(q.z);
    F best = W::set(kFarLimit);
    for (int g = 0; g < CapsuleLanes<W>::kCount; g += W::kWidth)
        best = W::min(best, capsuleDistanceLanes<W>(g, qx, qy, qz));
    return W::reduceMin(best);
}

}  // namespace rm
