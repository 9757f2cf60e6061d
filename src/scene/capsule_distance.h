#pragma once

// One capsule of the sculpture through the full formula with its turns' cosines and sines, in
// plain code: the evaluation that the bounded search (sculpture_within.h), the candidates of a
// cell and non-finite points take (sculpture_lanes.h). The lanes evaluate the capsules of a
// cell's candidate set their own way.
#include "math/float_ops.h"
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

inline constexpr CapsuleTable<kCapsuleCount> kCapsuleTable = makeCapsuleTable<kCapsuleCount>();

// The signed distance at the frame point (qx, qy, qz) of capsule i, before the running minimum.
__attribute__((always_inline)) inline float capsuleDistance(int i, float qx, float qy, float qz) {
    const CapsuleTable<kCapsuleCount>& k = kCapsuleTable;
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

// The plain loop over the capsules in table order, one lane: m stays unless m <= d fails, which
// keeps the order of NaN replacements for a non-finite point.
inline float sculptureDistancePlainLoop(Vec3 q) {
    float m = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const float d = capsuleDistance(i, q.x, q.y, q.z);
        m = m <= d ? m : d;
    }
    return m;
}

}  // namespace rm
