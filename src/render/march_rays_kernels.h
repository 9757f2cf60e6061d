#pragma once

#include "render/march_hit.h"
#include "render/ray.h"

namespace rm {

#if defined(RAYMARCH_HAVE_X86_KERNELS)
// marchRays with one ray per AVX2 lane, and per AVX-512 lane.
void marchRaysAvx2(const Ray* rays, int count, MarchHit* hits);
void marchRaysAvx512(const Ray* rays, int count, MarchHit* hits);
#endif

}  // namespace rm
