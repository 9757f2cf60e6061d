#pragma once

#include "math/vec3.h"

namespace rm {

// A value that sculptureDistanceInFrame(q) provably does not go below, for a finite frame point.
// The capsule segments lie in the box [-5, 7] x [-7, 5] x [-10, 2] of the frame and the tube has
// radius 1; the margin covers every rounding of the exact field with room to spare.
inline double sculptureLowerBound(Vec3 q) {
    const double ax = __builtin_fabs(double{q.x} - 1.0);
    const double ay = __builtin_fabs(double{q.y} + 1.0);
    const double az = __builtin_fabs(double{q.z} + 4.0);
    const double dx = ax > 6.0 ? ax - 6.0 : 0.0;
    const double dy = ay > 6.0 ? ay - 6.0 : 0.0;
    const double dz = az > 6.0 ? az - 6.0 : 0.0;
    const double box = __builtin_sqrt(dx * dx + dy * dy + dz * dz);
    return box - 1.0 - (box + ax + ay + az + 64.0) * 0x1p-14;
}

}  // namespace rm
