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
    int passes[kLanes];
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

}  // namespace

void marchRaysAvx2(const Ray* rays, int count, MarchHit* hits) {
    if (count <= 0)
        return;
    const PlaneHashes& hashes = *groundHashes;
    Lanes l;
    int next = 0;
    int live = 0;
    for (int lane = 0; lane < kLanes; ++lane) {
        if (next < count) {
            startRay(l, lane, rays[next], next);
            ++next;
            ++live;
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
        alignas(16) float q[3][kLanes];
        __m128 qx, qy, qz;
        framePoints(px, py, pz, qx, qy, qz);
        _mm_store_ps(q[0], qx);
        _mm_store_ps(q[1], qy);
        _mm_store_ps(q[2], qz);
        const int groundCounts =
            _mm_movemask_ps(_mm_and_ps(_mm_cmpgt_ps(g, zero), _mm_cmplt_ps(g, far)));
        alignas(16) float gs[kLanes];
        _mm_store_ps(gs, g);
        alignas(16) float s[kLanes];
        for (int lane = 0; lane < kLanes; ++lane) {
            s[lane] = kFarLimit;
            if (l.ray[lane] < 0)
                continue;
            const Vec3 point = {q[0][lane], q[1][lane], q[2][lane]};
            const double bound = sculptureLowerBound(point);
            const bool need = (groundCounts >> lane & 1) ? !(bound > double{gs[lane]})
                                                         : !(bound >= double{kFarLimit});
            if (need)
                s[lane] = sculptureDistanceInFrameAvx2(point);
        }

        // Choose as the scalar pass does: the sculpture below the far limit, then a strictly
        // positive ground that is nearer still.
        const __m128 sv = _mm_load_ps(s);
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

        alignas(16) int materials[kLanes];
        _mm_store_ps(reinterpret_cast<float*>(materials), material);
        alignas(16) float before[kLanes];
        _mm_store_ps(before, t);
        for (int lane = 0; lane < kLanes; ++lane) {
            const int index = l.ray[lane];
            if (index < 0)
                continue;
            MarchHit result;
            if (hit >> lane & 1) {
                result = {static_cast<Material>(materials[lane]), before[lane]};
            } else if ((beyond >> lane & 1) || ++l.passes[lane] == kMarchMaxSteps) {
                result = {Material::None, kFarLimit};
            } else {
                continue;
            }
            hits[index] = result;
            if (next < count) {
                startRay(l, lane, rays[next], next);
                ++next;
            } else {
                l.ray[lane] = -1;
                --live;
            }
        }
    }
}

}  // namespace rm
