#include "scene/sculpture.h"

#include "math/float_ops.h"
#include "math/simd_level.h"
#include "scene/far_limit.h"
#include "scene/field_kernels.h"

namespace rm {
namespace {

struct TurnTable {
    CapsuleTurns turns[kCapsuleCount];
};

constexpr TurnTable makeTurnTable() {
    TurnTable table{};
    for (int i = 0; i < kCapsuleCount; ++i)
        table.turns[i] = capsuleTurns(kSculptureCapsules[i]);
    return table;
}

constexpr TurnTable kTurnTable = makeTurnTable();

}  // namespace

Vec3 sculptureFramePoint(Vec3 p) {
    const float* r = kSculptureFrame.m;
    // The translation is added third, and in z the frame's shift of 5 is taken off the
    // translation before anything else.
    return {((p.x * r[0] + p.y * r[4]) + r[12]) + p.z * r[8],
            ((p.x * r[1] + p.y * r[5]) + r[13]) + p.z * r[9],
            (((r[14] - 5.0f) + p.x * r[2]) + p.y * r[6]) + p.z * r[10]};
}

float sculptureDistance(Vec3 p) { return sculptureDistanceInFrame(sculptureFramePoint(p)); }

float sculptureDistanceInFrame(Vec3 q) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            return sculptureDistanceInFrameAvx512(q);
        case SimdLevel::Avx2:
            return sculptureDistanceInFrameAvx2(q);
        case SimdLevel::Scalar:
            break;
    }
#endif
    return sculptureDistanceInFrameScalar(q);
}

float sculptureDistanceInFrameScalar(Vec3 q) {
    const float qx = q.x;
    const float qy = q.y;
    const float qz = q.z;
    float m = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const Capsule& capsule = kSculptureCapsules[i];
        const CapsuleTurns& turns = kTurnTable.turns[i];
        const float ux = qx + capsule.position.x;
        const float uy = qy + capsule.position.y;
        const float uz = qz + capsule.position.z;

        // Turn about x around the pivot height 5, then about z; t runs along the segment from
        // one end, x2 and z1 across it.
        const float y1 = (uy - 5.0f) * turns.cA + uz * turns.sA;
        const float z1 = (5.0f - uy) * turns.sA + uz * turns.cA;
        const float t = (capsule.length * 0.5f - ux * turns.sB) + y1 * turns.cB;
        const float x2 = y1 * turns.sB + ux * turns.cB;

        // Clamp to the segment; a NaN t fails the first test and becomes 0.
        float c = t;
        if (!(0.0f <= c)) c = 0.0f;
        if (!(c <= capsule.length)) c = capsule.length;
        const float e = t - c;
        const float dist = sqrtF((z1 * z1 + x2 * x2) + e * e) - 1.0f;
        if (!(m <= dist)) m = dist;
    }
    return m;
}

}  // namespace rm
