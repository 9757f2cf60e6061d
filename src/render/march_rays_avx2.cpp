// The march of four rays at a time, one per AVX2 lane. Each lane takes exactly the passes of the
// scalar march of its own ray: the same points, the same field values, the same choices and
// steps. A lane whose ray ends takes the next ray at once.
#include <immintrin.h>

#include "noise/noise_objects.h"
#include "render/march.h"
#include "render/march_rays_kernels.h"
#include "scene/far_limit.h"
#include "scene/field_kernels.h"
#include "scene/field_lanes_avx2.h"
#include "scene/sculpture.h"
#include "scene/sculpture_bound.h"

namespace rm {
namespace {

constexpr int kLanes = 4;

struct Lanes {
    alignas(16) float ox[kLanes];
    alignas(16) float oy[kLanes];
    alignas(16) float oz[kLanes];
    alignas(16) float dx[kLanes];
    alignas(16) float dy[kLanes];
    alignas(16) float dz[kLanes];
    alignas(16) float t[kLanes];
    alignas(16) int passes[kLanes];
    int ray[kLanes];  // -1: the lane idles on a copy of its last ray
};

void startRay(Lanes& l, int lane, const Ray& r, int index) {
    l.ox[lane] = r.origin.x;
    l.oy[lane] = r.origin.y;
    l.oz[lane] = r.origin.z;
    l.dx[lane] = r.direction.x;
    l.dy[lane] = r.direction.y;
    l.dz[lane] = r.direction.z;
    l.t[lane] = 0.0f;
    l.passes[lane] = 0;
    l.ray[lane] = index;
}

// Frame point of four world points, term for term as sculptureFramePoint.
void framePoints(__m128 x, __m128 y, __m128 z, __m128& qx, __m128& qy, __m128& qz) {
    const float* r = kSculptureFrame.m;
    auto s = [](float v) { return _mm_set1_ps(v); };
    qx =
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, s(r[0])), _mm_mul_ps(y, s(r[4]))), s(r[12])),
                   _mm_mul_ps(z, s(r[8])));
    qy =
        _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, s(r[1])), _mm_mul_ps(y, s(r[5]))), s(r[13])),
                   _mm_mul_ps(z, s(r[9])));
    qz = _mm_add_ps(
        _mm_add_ps(_mm_add_ps(s(r[14] - 5.0f), _mm_mul_ps(x, s(r[2]))), _mm_mul_ps(y, s(r[6]))),
        _mm_mul_ps(z, s(r[10])));
}

// The lanes whose sculpture distance can matter: where its lower bound (sculptureLowerBound, term
// for term) does not exceed a counting ground, or does not reach the far limit.
int sculptureNeeded(__m128 qx, __m128 qy, __m128 qz, __m128 g) {
    const __m256d sign = _mm256_set1_pd(-0.0);
    const __m256d six = _mm256_set1_pd(6.0);
    const __m256d ax =
        _mm256_andnot_pd(sign, _mm256_sub_pd(_mm256_cvtps_pd(qx), _mm256_set1_pd(1.0)));
    const __m256d ay =
        _mm256_andnot_pd(sign, _mm256_add_pd(_mm256_cvtps_pd(qy), _mm256_set1_pd(1.0)));
    const __m256d az =
        _mm256_andnot_pd(sign, _mm256_add_pd(_mm256_cvtps_pd(qz), _mm256_set1_pd(4.0)));
    auto beyond = [&](__m256d a) {
        return _mm256_and_pd(_mm256_cmp_pd(a, six, _CMP_GT_OQ), _mm256_sub_pd(a, six));
    };
    const __m256d dx = beyond(ax);
    const __m256d dy = beyond(ay);
    const __m256d dz = beyond(az);
    const __m256d box = _mm256_sqrt_pd(_mm256_add_pd(
        _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)), _mm256_mul_pd(dz, dz)));
    const __m256d slack = _mm256_add_pd(
        _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(box, ax), ay), az), _mm256_set1_pd(64.0));
    const __m256d bound = _mm256_sub_pd(_mm256_sub_pd(box, _mm256_set1_pd(1.0)),
                                        _mm256_mul_pd(slack, _mm256_set1_pd(0x1p-14)));
    const __m256d gd = _mm256_cvtps_pd(g);
    const __m256d far = _mm256_set1_pd(kFarLimit);
    const __m256d groundCounts = _mm256_and_pd(_mm256_cmp_pd(gd, _mm256_setzero_pd(), _CMP_GT_OQ),
                                               _mm256_cmp_pd(gd, far, _CMP_LT_OQ));
    const __m256d ruledOut = _mm256_blendv_pd(_mm256_cmp_pd(bound, far, _CMP_GE_OQ),
                                              _mm256_cmp_pd(bound, gd, _CMP_GT_OQ), groundCounts);
    return ~_mm256_movemask_pd(ruledOut) & 0xf;
}

}  // namespace

void marchRaysAvx2(const Ray* rays, int count, MarchHit* hits) {
    if (count <= 0)
        return;
    const PlaneHashes& hashes = *groundHashes;
    Lanes l;
    int next = 0;
    int live = 0;  // one bit per lane with a ray
    for (int lane = 0; lane < kLanes; ++lane) {
        if (next < count) {
            startRay(l, lane, rays[next], next);
            ++next;
            live |= 1 << lane;
        } else {
            startRay(l, lane, rays[0], -1);
        }
    }

    const __m128 far = _mm_set1_ps(kFarLimit);
    const __m128 zero = _mm_setzero_ps();
    while (live > 0) {
        const __m128 t = _mm_load_ps(l.t);
        const __m128 px = _mm_add_ps(_mm_mul_ps(_mm_load_ps(l.dx), t), _mm_load_ps(l.ox));
        const __m128 py = _mm_add_ps(_mm_mul_ps(_mm_load_ps(l.dy), t), _mm_load_ps(l.oy));
        const __m128 pz = _mm_add_ps(_mm_mul_ps(_mm_load_ps(l.dz), t), _mm_load_ps(l.oz));
        const __m128 g = groundDistance4(hashes, px, py, pz);

        // The sculpture is evaluated only in lanes where its lower bound cannot rule it out.
        __m128 qx, qy, qz;
        framePoints(px, py, pz, qx, qy, qz);
        const int need = sculptureNeeded(qx, qy, qz, g) & live;
        __m128 sv = far;
        if (need != 0) {
            alignas(16) float q[3][kLanes];
            alignas(16) float s[kLanes];
            _mm_store_ps(q[0], qx);
            _mm_store_ps(q[1], qy);
            _mm_store_ps(q[2], qz);
            _mm_store_ps(s, far);
            for (int lane = 0; lane < kLanes; ++lane) {
                if (need >> lane & 1) {
                    s[lane] = sculptureDistanceInFrameAvx2({q[0][lane], q[1][lane], q[2][lane]});
                }
            }
            sv = _mm_load_ps(s);
        }

        // Choose as the scalar pass does: the sculpture below the far limit, then a strictly
        // positive ground that is nearer still.
        const __m128 sWins = _mm_cmplt_ps(sv, far);
        __m128 chosen = _mm_blendv_ps(far, sv, sWins);
        __m128 material = _mm_and_ps(sWins, _mm_castsi128_ps(_mm_set1_epi32(1)));
        const __m128 gWins = _mm_and_ps(_mm_cmpgt_ps(g, zero), _mm_cmplt_ps(g, chosen));
        chosen = _mm_blendv_ps(chosen, g, gWins);
        material = _mm_blendv_ps(material, _mm_castsi128_ps(_mm_set1_epi32(2)), gWins);
        const int hit = _mm_movemask_ps(_mm_cmplt_ps(chosen, _mm_set1_ps(kHitThreshold)));

        // Step in 64 bits and round once.
        const __m128 stepped = _mm256_cvtpd_ps(
            _mm256_add_pd(_mm256_mul_pd(_mm256_cvtps_pd(chosen), _mm256_set1_pd(kStepScale)),
                          _mm256_cvtps_pd(t)));
        const int beyond = _mm_movemask_ps(_mm_cmpge_ps(stepped, far));
        _mm_store_ps(l.t, stepped);

        const __m128i passes =
            _mm_add_epi32(_mm_load_si128(reinterpret_cast<__m128i*>(l.passes)), _mm_set1_epi32(1));
        _mm_store_si128(reinterpret_cast<__m128i*>(l.passes), passes);
        const int spent = _mm_movemask_ps(
            _mm_castsi128_ps(_mm_cmpeq_epi32(passes, _mm_set1_epi32(kMarchMaxSteps))));
        const int done = (hit | beyond | spent) & live;
        if (done == 0)
            continue;

        // Record the rays that ended and start the next ones in their lanes.
        alignas(16) int materials[kLanes];
        _mm_store_ps(reinterpret_cast<float*>(materials), material);
        alignas(16) float before[kLanes];
        _mm_store_ps(before, t);
        for (int lane = 0; lane < kLanes; ++lane) {
            if (!(done >> lane & 1))
                continue;
            hits[l.ray[lane]] = (hit >> lane & 1)
                                    ? MarchHit{static_cast<Material>(materials[lane]), before[lane]}
                                    : MarchHit{Material::None, kFarLimit};
            if (next < count) {
                startRay(l, lane, rays[next], next);
                ++next;
            } else {
                l.ray[lane] = -1;
                live &= ~(1 << lane);
            }
        }
    }
}

}  // namespace rm
