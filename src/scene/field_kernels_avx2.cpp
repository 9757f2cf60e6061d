// The distance fields with AVX2 lanes. Lane arithmetic is IEEE add, subtract, multiply, divide and
// square root, each rounded like the scalar operation, and never fused; selections are exact
// blends. So every value is bit for bit the scalar one.
#include <immintrin.h>

#include "scene/far_limit.h"
#include "scene/field_kernels.h"
#include "scene/field_lanes_avx2.h"
#include "scene/ground_terms.h"
#include "scene/sculpture.h"

namespace rm {
namespace {

// ---- Ground: the three noise samples of one evaluation as lanes of one plane-noise evaluation.

__m256d fade4(__m256d t) {
    const __m256d a = _mm256_add_pd(
        _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(t, _mm256_set1_pd(6.0)), _mm256_set1_pd(15.0)),
                      t),
        _mm256_set1_pd(10.0));
    return _mm256_mul_pd(a, _mm256_mul_pd(_mm256_mul_pd(t, t), t));
}

struct Terms4 {
    __m256d u;
    __m256d v;
};

// The gradient components of one corner for four points; h holds the hashes in 64-bit lanes.
Terms4 gradientTerms4(__m256i h, __m256d x, __m256d y) {
    // u = y where bit 3 is set, else x; v = y where bits 2 and 3 are clear, x where h & 13 is 12,
    // else z, which is +0 in this plane.
    const __m256d u = _mm256_blendv_pd(x, y, _mm256_castsi256_pd(_mm256_slli_epi64(h, 60)));
    const __m256i vIsY =
        _mm256_cmpeq_epi64(_mm256_and_si256(h, _mm256_set1_epi64x(12)), _mm256_setzero_si256());
    const __m256i vIsX =
        _mm256_cmpeq_epi64(_mm256_and_si256(h, _mm256_set1_epi64x(13)), _mm256_set1_epi64x(12));
    const __m256d v =
        _mm256_blendv_pd(_mm256_and_pd(_mm256_castsi256_pd(vIsX), x), y, _mm256_castsi256_pd(vIsY));
    // Bits 0 and 1 flip the signs of u and v.
    const __m256d signU = _mm256_castsi256_pd(_mm256_slli_epi64(h, 63));
    const __m256d signV =
        _mm256_castsi256_pd(_mm256_slli_epi64(_mm256_and_si256(h, _mm256_set1_epi64x(2)), 62));
    return {_mm256_xor_pd(u, signU), _mm256_xor_pd(v, signV)};
}

__m256i cornerHash(__m128i corners, int shift) {
    return _mm256_cvtepu32_epi64(_mm_and_si128(_mm_srli_epi32(corners, shift), _mm_set1_epi32(15)));
}

__m256d planeNoise4(const PlaneHashes& hashes, __m256d x, __m256d y) {
    // Compute noise cell coordinates and offsets. An out-of-range or NaN floor converts to
    // 0x80000000, whose cell is 0, as in the scalar code.
    const __m256d fx = _mm256_floor_pd(x);
    const __m256d fy = _mm256_floor_pd(y);
    const __m128i mask = _mm_set1_epi32(255);
    const __m128i cx = _mm_and_si128(_mm256_cvttpd_epi32(fx), mask);
    const __m128i cy = _mm_and_si128(_mm256_cvttpd_epi32(fy), mask);
    const __m128i corners = _mm_i32gather_epi32(reinterpret_cast<const int*>(hashes.corners),
                                                _mm_or_si128(_mm_slli_epi32(cx, 8), cy), 4);
    const __m256d xf = _mm256_sub_pd(x, fx);
    const __m256d yf = _mm256_sub_pd(y, fy);
    const __m256d one = _mm256_set1_pd(1.0);
    const __m256d x1 = _mm256_sub_pd(xf, one);
    const __m256d y1 = _mm256_sub_pd(yf, one);
    const __m256d fu = fade4(xf);
    const __m256d fv = fade4(yf);

    // Interpolate exactly as the scalar plane noise does.
    const Terms4 c1 = gradientTerms4(cornerHash(corners, 0), xf, yf);
    const Terms4 c2 = gradientTerms4(cornerHash(corners, 8), x1, yf);
    const Terms4 c3 = gradientTerms4(cornerHash(corners, 16), xf, y1);
    const Terms4 c4 = gradientTerms4(cornerHash(corners, 24), x1, y1);
    const __m256d g1 = _mm256_add_pd(c1.u, c1.v);
    const __m256d l1 =
        _mm256_add_pd(_mm256_mul_pd(_mm256_add_pd(_mm256_sub_pd(c2.u, g1), c2.v), fu), g1);
    const __m256d g3 = _mm256_add_pd(c3.u, c3.v);
    const __m256d far = _mm256_add_pd(
        _mm256_mul_pd(_mm256_add_pd(_mm256_sub_pd(c4.u, g3), c4.v), fu), _mm256_sub_pd(g3, l1));
    return _mm256_add_pd(_mm256_mul_pd(far, fv), l1);
}

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
    const GroundPlanePoint q = groundPlanePoint(p);
    const __m128 scales =
        _mm_setr_ps(kGroundNoiseScales[0], kGroundNoiseScales[1], kGroundNoiseScales[2], 0.0f);
    const __m256d x = _mm256_cvtps_pd(_mm_mul_ps(_mm_set1_ps(q.turnedZ), scales));
    const __m256d y = _mm256_cvtps_pd(_mm_mul_ps(_mm_set1_ps(q.turnedX), scales));
    alignas(32) double n[4];
    _mm256_store_pd(n, planeNoise4(hashes, x, y));
    return groundFromSamples(p.y, n[0], n[1], n[2]);
}

__m128 groundDistance4(const PlaneHashes& hashes, __m128 x, __m128 y, __m128 z) {
    const __m128 a = _mm_sub_ps(z, _mm_set1_ps(15.0f));
    const __m128 c = _mm_set1_ps(kGroundTurnCosine);
    const __m128 turnedX = _mm_sub_ps(_mm_mul_ps(a, c), x);
    const __m128 turnedZ = _mm_add_ps(_mm_mul_ps(x, c), a);
    __m256d n[3];
    for (int k = 0; k < 3; ++k) {
        const __m128 s = _mm_set1_ps(kGroundNoiseScales[k]);
        n[k] = planeNoise4(hashes, _mm256_cvtps_pd(_mm_mul_ps(turnedZ, s)),
                           _mm256_cvtps_pd(_mm_mul_ps(turnedX, s)));
    }
    // Narrow after every term, as the scalar field does.
    __m128 h = _mm_add_ps(y, _mm_set1_ps(14.0f));
    for (int k = 0; k < 3; ++k) {
        h = _mm256_cvtpd_ps(_mm256_add_pd(
            _mm256_cvtps_pd(h), _mm256_mul_pd(n[k], _mm256_set1_pd(kGroundNoiseAmplitudes[k]))));
    }
    return _mm_add_ps(h, _mm_set1_ps(1.0f));
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
