#pragma once

#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

#if defined(RAYMARCH_HAVE_AVX2)
// marchRays with four rays as AVX2 lanes.
void marchRaysAvx2(const Ray* rays, int count, MarchHit* hits);
#endif

}  // namespace rm
