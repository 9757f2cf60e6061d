#pragma once

// One AVX-512 register of sixteen floats, for the capsule lanes.
#include <immintrin.h>

namespace rm::avx512 {

struct WideAvx512 {
    static constexpr int kWidth = 16;
    using F = __m512;
    static F set(float v) { return _mm512_set1_ps(v); }
    static F load(const float* p) { return _mm512_load_ps(p); }
    static F add(F a, F b) { return _mm512_add_ps(a, b); }
    static F sub(F a, F b) { return _mm512_sub_ps(a, b); }
    static F mul(F a, F b) { return _mm512_mul_ps(a, b); }
    static F sqrt(F a) { return _mm512_sqrt_ps(a); }
    static F min(F a, F b) { return _mm512_min_ps(a, b); }
    static F clamp(F t, F length) {
        const F c = _mm512_maskz_mov_ps(_mm512_cmp_ps_mask(_mm512_setzero_ps(), t, _CMP_LE_OQ), t);
        return _mm512_mask_blend_ps(_mm512_cmp_ps_mask(c, length, _CMP_LE_OQ), length, c);
    }
    static float reduceMin(F v) {
        const __m256 half =
            _mm256_min_ps(_mm512_castps512_ps256(v),
                          _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1)));
        __m128 m = _mm_min_ps(_mm256_castps256_ps128(half), _mm256_extractf128_ps(half, 1));
        m = _mm_min_ps(m, _mm_movehl_ps(m, m));
        m = _mm_min_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }
};

}  // namespace rm::avx512
