#pragma once

#include "render/march_hit.h"
#include "render/ray.h"

#if defined(RAYMARCH_HAVE_X86_KERNELS)
// marchRays with one ray per AVX2 lane, and per AVX-512 lane.
namespace rm::avx2 {
void marchRays(const Ray* rays, int count, MarchHit* hits);
}
namespace rm::avx512 {
void marchRays(const Ray* rays, int count, MarchHit* hits);
}
#endif
