#pragma once

#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

// Marches many independent rays through the scene: hits[i] is exactly march(SceneFields{},
// rays[i].origin, rays[i].direction). Working on several rays at once lets their passes overlap.
void marchRays(const Ray* rays, int count, MarchHit* hits);

}  // namespace rm
