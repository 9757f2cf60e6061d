// The distance fields with AVX2 lanes. Lane arithmetic is IEEE add, subtract, multiply, divide and
// square root, each rounded like the scalar operation, and never fused; selections are exact
// blends. So every value is bit for bit the scalar one.
#include <immintrin.h>

#include "scene/far_limit.h"
#include "scene/field_kernels.h"
#include "scene/ground_terms.h"
#include "scene/sculpture.h"
#include "simd/capsule_lanes.h"
#include "simd/ground_lanes.h"
#include "simd/lane_ops_avx2.h"
#include "simd/plane_noise_lanes.h"
#include "simd/wide_avx2.h"

namespace rm {

float groundDistanceAvx2(const PlaneHashes& hashes, Vec3 p) {
    // The three noise samples of one evaluation as lanes of one plane-noise evaluation.
    using V = LaneOpsAvx2;
    const GroundPlanePoint q = groundPlanePoint(p);
    const __m128 scales =
        _mm_setr_ps(kGroundNoiseScales[0], kGroundNoiseScales[1], kGroundNoiseScales[2], 0.0f);
    const __m256d x = V::widen(V::mulF(V::setF(q.turnedZ), scales));
    const __m256d y = V::widen(V::mulF(V::setF(q.turnedX), scales));
    alignas(32) double n[4];
    _mm256_store_pd(n, planeNoiseLanes<V>(hashes, x, y));
    return groundFromSamples(p.y, n[0], n[1], n[2]);
}

void groundDistanceManyAvx2(const PlaneHashes& hashes, const Vec3* points, int count, float* out) {
    groundDistanceManyLanes<LaneOpsAvx2>(hashes, points, count, out);
}

float sculptureDistanceInFrameAvx2(Vec3 q) { return sculptureDistanceCapsuleLanes<WideAvx2>(q); }

}  // namespace rm
