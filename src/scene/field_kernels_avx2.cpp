// The distance fields with AVX2 lanes. Lane arithmetic is IEEE add, subtract, multiply, divide and
// square root, each rounded like the scalar operation, and never fused; selections are exact
// blends. So every value is bit for bit the scalar one.
#include <immintrin.h>

#include "scene/far_limit.h"
#include "scene/field_kernels.h"
#include "scene/ground_terms.h"
#include "scene/sculpture.h"
#include "simd/lane_ops_avx2.h"
#include "simd/plane_noise_lanes.h"

namespace rm {
namespace {

// ---- Sculpture: the 18 capsules as lanes, padded with copies of the first.

constexpr int kLaneGroups = 3;
constexpr int kLanes = 8 * kLaneGroups;

struct CapsuleLanes {
    alignas(32) float x[kLanes];
    alignas(32) float y[kLanes];
    alignas(32) float z[kLanes];
    alignas(32) float cA[kLanes];
    alignas(32) float sA[kLanes];
    alignas(32) float cB[kLanes];
    alignas(32) float sB[kLanes];
    alignas(32) float halfLength[kLanes];
    alignas(32) float length[kLanes];
};

constexpr CapsuleLanes makeCapsuleLanes() {
    CapsuleLanes lanes{};
    for (int i = 0; i < kLanes; ++i) {
        const Capsule& c = kSculptureCapsules[i < kCapsuleCount ? i : 0];
        const CapsuleTurns turns = capsuleTurns(c);
        lanes.x[i] = c.position.x;
        lanes.y[i] = c.position.y;
        lanes.z[i] = c.position.z;
        lanes.cA[i] = turns.cA;
        lanes.sA[i] = turns.sA;
        lanes.cB[i] = turns.cB;
        lanes.sB[i] = turns.sB;
        lanes.halfLength[i] = c.length * 0.5f;
        lanes.length[i] = c.length;
    }
    return lanes;
}

constexpr CapsuleLanes kCapsuleLanes = makeCapsuleLanes();

}  // namespace

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

float sculptureDistanceInFrameAvx2(Vec3 q) {
    // With a finite point no lane is NaN, so the lane minimum equals the scalar running minimum;
    // a non-finite point keeps the scalar order of NaN replacements.
    if (!(__builtin_isfinite(q.x) && __builtin_isfinite(q.y) && __builtin_isfinite(q.z))) {
        return sculptureDistanceInFrameScalar(q);
    }
    const CapsuleLanes& k = kCapsuleLanes;
    const __m256 qx = _mm256_set1_ps(q.x);
    const __m256 qy = _mm256_set1_ps(q.y);
    const __m256 qz = _mm256_set1_ps(q.z);
    const __m256 five = _mm256_set1_ps(5.0f);
    const __m256 zero = _mm256_setzero_ps();
    __m256 best = _mm256_set1_ps(kFarLimit);
    for (int g = 0; g < kLanes; g += 8) {
        const __m256 ux = _mm256_add_ps(qx, _mm256_load_ps(k.x + g));
        const __m256 uy = _mm256_add_ps(qy, _mm256_load_ps(k.y + g));
        const __m256 uz = _mm256_add_ps(qz, _mm256_load_ps(k.z + g));
        const __m256 cA = _mm256_load_ps(k.cA + g);
        const __m256 sA = _mm256_load_ps(k.sA + g);
        const __m256 cB = _mm256_load_ps(k.cB + g);
        const __m256 sB = _mm256_load_ps(k.sB + g);
        const __m256 length = _mm256_load_ps(k.length + g);
        const __m256 y1 =
            _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(uy, five), cA), _mm256_mul_ps(uz, sA));
        const __m256 z1 =
            _mm256_add_ps(_mm256_mul_ps(_mm256_sub_ps(five, uy), sA), _mm256_mul_ps(uz, cA));
        const __m256 t =
            _mm256_add_ps(_mm256_sub_ps(_mm256_load_ps(k.halfLength + g), _mm256_mul_ps(ux, sB)),
                          _mm256_mul_ps(y1, cB));
        const __m256 x2 = _mm256_add_ps(_mm256_mul_ps(y1, sB), _mm256_mul_ps(ux, cB));
        __m256 c = _mm256_and_ps(_mm256_cmp_ps(zero, t, _CMP_LE_OQ), t);
        c = _mm256_blendv_ps(length, c, _mm256_cmp_ps(c, length, _CMP_LE_OQ));
        const __m256 e = _mm256_sub_ps(t, c);
        const __m256 sum = _mm256_add_ps(
            _mm256_add_ps(_mm256_mul_ps(z1, z1), _mm256_mul_ps(x2, x2)), _mm256_mul_ps(e, e));
        best = _mm256_min_ps(best, _mm256_sub_ps(_mm256_sqrt_ps(sum), _mm256_set1_ps(1.0f)));
    }
    __m128 m = _mm_min_ps(_mm256_castps256_ps128(best), _mm256_extractf128_ps(best, 1));
    m = _mm_min_ps(m, _mm_movehl_ps(m, m));
    m = _mm_min_ss(m, _mm_shuffle_ps(m, m, 1));
    return _mm_cvtss_f32(m);
}

}  // namespace rm
