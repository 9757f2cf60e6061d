#include "scene/ground.h"

#include "math/simd_level.h"
#include "noise/noise_objects.h"
#include "noise/plane_hashes.h"
#include "scene/field_kernels.h"
#include "scene/ground_terms.h"

namespace rm {
namespace {

template <typename Table>
float groundOn(const Table& table, Vec3 p) {
    const GroundPlanePoint q = groundPlanePoint(p);
    double n[3];
    for (int k = 0; k < 3; ++k) {
        const float s = kGroundNoiseScales[k];
        n[k] = noisePlane(table, double{q.turnedZ * s}, double{q.turnedX * s});
    }
    return groundFromSamples(p.y, n[0], n[1], n[2]);
}

}  // namespace

float groundDistance(const PerlinNoise& table, Vec3 p) { return groundOn(table, p); }

float groundDistance(Vec3 p) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    if (simdLevel() != SimdLevel::Scalar) return groundDistanceAvx2(*groundHashes, p);
#endif
    return groundOn(*groundHashes, p);
}

void groundDistanceMany(const Vec3* points, int count, float* out) {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    switch (simdLevel()) {
        case SimdLevel::Avx512:
            groundDistanceManyAvx512(*groundHashes, points, count, out);
            return;
        case SimdLevel::Avx2:
            groundDistanceManyAvx2(*groundHashes, points, count, out);
            return;
        case SimdLevel::Scalar:
            break;
    }
#endif
    for (int i = 0; i < count; ++i)
        out[i] = groundOn(*groundHashes, points[i]);
}

}  // namespace rm
