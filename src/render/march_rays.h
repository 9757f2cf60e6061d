#pragma once

#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

// Marches many independent rays through the scene: hits[i] is exactly the plain march of
// rays[i], both fields evaluated in every pass. Working on several rays at once lets their passes
// overlap.
void marchRays(const Ray* rays, int count, MarchHit* hits);

}  // namespace rm
