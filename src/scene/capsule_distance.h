#pragma once

#include "math/float_ops.h"
#include "math/vec3.h"
#include "scene/sculpture.h"

namespace rm {

// One capsule's signed distance at the frame point q, before the running minimum.
inline float capsuleDistance(const Capsule& capsule, const CapsuleTurns& turns, Vec3 q) {
    const float ux = q.x + capsule.position.x;
    const float uy = q.y + capsule.position.y;
    const float uz = q.z + capsule.position.z;

    // Turn about x around the pivot height 5, then about z; t runs along the segment from one
    // end, x2 and z1 across it.
    const float y1 = (uy - 5.0f) * turns.cA + uz * turns.sA;
    const float z1 = (5.0f - uy) * turns.sA + uz * turns.cA;
    const float t = (capsule.length * 0.5f - ux * turns.sB) + y1 * turns.cB;
    const float x2 = y1 * turns.sB + ux * turns.cB;

    // Clamp to the segment; a NaN t fails the first test and becomes 0.
    float c = t;
    if (!(0.0f <= c)) c = 0.0f;
    if (!(c <= capsule.length)) c = capsule.length;
    const float e = t - c;
    return sqrtF((z1 * z1 + x2 * x2) + e * e) - 1.0f;
}

}  // namespace rm
