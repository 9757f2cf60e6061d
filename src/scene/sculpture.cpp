#include "scene/sculpture.h"

#include "math/simd_level.h"
#include "scene/capsule_distance.h"
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
    float m = kFarLimit;
    for (int i = 0; i < kCapsuleCount; ++i) {
        const float dist = capsuleDistance(kSculptureCapsules[i], kTurnTable.turns[i], q);
        if (!(m <= dist)) m = dist;
    }
    return m;
}

}  // namespace rm
