#pragma once

#include "math/vec3.h"

namespace rm {

// sculptureDistanceInFrameScalar(q) wherever that is at most `limit` (at least -1); elsewhere
// some value above `limit` and at most 4000. Only the capsules that a conservative bound cannot
// rule out are evaluated, the nearest first, so a march pass that only needs to know whether the
// sculpture is nearer than the ground gets its exact answer from a capsule or two.
float sculptureDistanceWithin(Vec3 q, float limit);

}  // namespace rm
