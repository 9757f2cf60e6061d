#pragma once

// One AVX register of eight floats, for the capsule lanes.
#include <immintrin.h>

namespace rm::avx2 {

struct WideAvx2 {
    static constexpr int kWidth = 8;
    using F = __m256;
    static F set(float v) { return _mm256_set1_ps(v); }
    static F load(const float* p) { return _mm256_load_ps(p); }
    static F add(F a, F b) { return _mm256_add_ps(a, b); }
    static F sub(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mul(F a, F b) { return _mm256_mul_ps(a, b); }
    static F sqrt(F a) { return _mm256_sqrt_ps(a); }
    static F min(F a, F b) { return _mm256_min_ps(a, b); }
    static F clamp(F t, F length) {
        const F c = _mm256_and_ps(_mm256_cmp_ps(_mm256_setzero_ps(), t, _CMP_LE_OQ), t);
        return _mm256_blendv_ps(length, c, _mm256_cmp_ps(c, length, _CMP_LE_OQ));
    }
    static float reduceMin(F v) {
        __m128 m = _mm_min_ps(_mm256_castps256_ps128(v), _mm256_extractf128_ps(v, 1));
        m = _mm_min_ps(m, _mm_movehl_ps(m, m));
        m = _mm_min_ss(m, _mm_shuffle_ps(m, m, 1));
        return _mm_cvtss_f32(m);
    }
};

}  // namespace rm::avx2
