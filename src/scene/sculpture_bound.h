#pragma once

#include "math/vec3.h"

namespace rm {

// True when sculptureDistanceInFrame(q) is provably above `limit` (a positive distance), so that
// its exact value cannot matter against it. The capsule segments lie in the box
// [-5, 7] x [-7, 5] x [-10, 2] of the frame and the tube has radius 1, so the field is at least
// the distance to the box less 1. The margin, above 1e-4 of the point's size, covers every
// rounding of the float field many times over; comparing squares saves a square root.
inline bool sculptureBeyond(Vec3 q, double limit) {
    const double ax = __builtin_fabs(double{q.x} - 1.0);
    const double ay = __builtin_fabs(double{q.y} + 1.0);
    const double az = __builtin_fabs(double{q.z} + 4.0);
    const double dx = ax > 6.0 ? ax - 6.0 : 0.0;
    const double dy = ay > 6.0 ? ay - 6.0 : 0.0;
    const double dz = az > 6.0 ? az - 6.0 : 0.0;
    const double reach = limit + 1.0 + (ax + ay + az + 64.0) * 0x1p-13;
    return dx * dx + dy * dy + dz * dz > reach * reach;
}

}  // namespace rm
