#include "render/march_rays.h"

#include "math/simd_level.h"
#include "render/march.h"
#include "render/march_rays_kernels.h"
#include "render/scene_fields.h"

namespace rm {

void marchRays(const Ray* rays, int count, MarchHit* hits) {
#if defined(RAYMARCH_HAVE_AVX2)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            marchRaysAvx512(rays, count, hits);
            return;
        case SimdLevel::Avx2:
            marchRaysAvx2(rays, count, hits);
            return;
        case SimdLevel::Scalar:
            break;
    }
#endif
    for (int i = 0; i < count; ++i)
        hits[i] = march(SceneFields{}, rays[i].origin, rays[i].direction);
}

}  // namespace rm
