#include "reference/fields.h"

#include "math/float_ops.h"
#include "noise/noise_objects.h"
#include "reference/mat4_multiply.h"
#include "scene/far_limit.h"
#include "scene/sculpture.h"

namespace rm::reference {

float sculptureDistance(Vec3 p) {
    const Mat4 frame = mat4Multiply(kSculptureYaw, kSculpturePitch);
    const float* r = frame.m;
    // The translation is added third, and in z the frame's shift of 5 is taken off the
    // translation before anything else.
    const float qx = ((p.x * r[0] + p.y * r[4]) + r[12]) + p.z * r[8];
    const float qy = ((p.x * r[1] + p.y * r[5]) + r[13]) + p.z * r[9];
    const float qz = (((r[14] - 5.0f) + p.x * r[2]) + p.y * r[6]) + p.z * r[10];
    float m = kFarLimit;
    for (const Capsule& capsule : kSculptureCapsules) {
        const CapsuleTurns turns = capsuleTurns(capsule);
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

float groundDistance(const PerlinNoise& table, Vec3 p) {
    NoObserver none;
    return groundDistance(none, table, p);
}

float SceneFields::sculpture(Vec3 p) const { return reference::sculptureDistance(p); }

float SceneFields::ground(Vec3 p) const { return groundDistance(*groundNoise, p); }

}  // namespace rm::reference
