#pragma once

// Four lanes: floats in an SSE register, doubles in an AVX2 register. Every operation is the
// IEEE operation of its scalar counterpart, lane by lane; selections and sign changes are exact.
#include <immintrin.h>
#include <stdint.h>

#include "math/float_evaluation.h"
#include "simd/lane_strategies.h"

namespace rm::avx2 {

struct LaneOpsAvx2 {
    static constexpr int kWidth = 4;
    static constexpr bool kConstantsInCode = true;
    static constexpr int kGroups = 3;
    static constexpr GradientForm kGradients = GradientForm::CodeBits;
    static constexpr bool kCellsFromFloats = false;
    static constexpr bool kFloorByConversion = false;
    static constexpr int kRememberedGroundCells = 0;
    static constexpr MarchForm kMarch = MarchForm::RayPerLane;
    static constexpr bool kSkipsFineGround = false;
    static constexpr bool kJoinsConditions = false;
    using F = __m128;    // float lanes
    using D = __m256d;   // double lanes
    using I = __m128i;   // 32-bit integer lanes
    using L = __m256i;   // 64-bit integer lanes
    using MF = __m128;   // float-lane condition: all bits set where true
    using MD = __m256d;  // double-lane condition: all bits set (or the sign bit) where true

    static F setF(float v) { return _mm_set1_ps(v); }
    static F loadF(const float* p) { return _mm_load_ps(p); }
    static void storeF(float* p, F v) { _mm_store_ps(p, v); }
    static F addF(F a, F b) { return _mm_add_ps(a, b); }
    static F subF(F a, F b) { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm_mul_ps(a, b); }
    static F sqrtF(F a) { return _mm_sqrt_ps(a); }
    static MF leF(F a, F b) { return _mm_cmple_ps(a, b); }
    static MF ltF(F a, F b) { return _mm_cmplt_ps(a, b); }
    static MF gtF(F a, F b) { return _mm_cmpgt_ps(a, b); }
    static MF geF(F a, F b) { return _mm_cmpge_ps(a, b); }
    static MF andMF(MF a, MF b) { return _mm_and_ps(a, b); }
    static F selectF(MF m, F ifFalse, F ifTrue) { return _mm_blendv_ps(ifFalse, ifTrue, m); }
    static int bitsF(MF m) { return _mm_movemask_ps(m); }

    static D loadD(const double* p) { return _mm256_load_pd(p); }
    static void storeD(double* p, D v) { _mm256_store_pd(p, v); }
    static D setD(double v) { return _mm256_set1_pd(v); }
    static D addD(D a, D b) { return _mm256_add_pd(a, b); }
    static D subD(D a, D b) { return _mm256_sub_pd(a, b); }
    static D mulD(D a, D b) { return _mm256_mul_pd(a, b); }
    static D floorD(D a) { return _mm256_floor_pd(a); }
    static D absD(D a) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), a); }
    static MD gtD(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static MD ltD(D a, D b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static MD andMD(MD a, MD b) { return _mm256_and_pd(a, b); }
    static D selectD(MD m, D ifFalse, D ifTrue) { return _mm256_blendv_pd(ifFalse, ifTrue, m); }
    static D zeroUnlessD(MD m, D v) { return _mm256_and_pd(m, v); }
    static int bitsD(MD m) { return _mm256_movemask_pd(m); }

    static D widen(F v) { return _mm256_cvtps_pd(v); }
    static F narrow(D v) { return _mm256_cvtpd_ps(v); }
    // Truncation of integral values; out of range or NaN gives 0x80000000.
    static I truncate(D v) { return _mm256_cvttpd_epi32(v); }
    static I truncateF(F v) { return _mm_cvttps_epi32(v); }

    static I setI(int32_t v) { return _mm_set1_epi32(v); }
    static I loadI(const int32_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
    static void storeI(int32_t* p, I v) { _mm_store_si128(reinterpret_cast<__m128i*>(p), v); }
    static I addI(I a, I b) { return _mm_add_epi32(a, b); }
    static I andI(I a, I b) { return _mm_and_si128(a, b); }
    static I orI(I a, I b) { return _mm_or_si128(a, b); }
    static I shiftLeftI(I a, int n) { return _mm_slli_epi32(a, n); }
    static int equalBitsI(I a, I b) {
        return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(a, b)));
    }
    static I selectI(MF m, I ifFalse, I ifTrue) {
        return _mm_castps_si128(
            _mm_blendv_ps(_mm_castsi128_ps(ifFalse), _mm_castsi128_ps(ifTrue), m));
    }
    // The 16-bit entries table[index] in the low halves of 32-bit lanes; the high halves hold
    // whatever follows each entry.
    static I gather(const uint16_t* table, I index) {
        return _mm_i32gather_epi32(reinterpret_cast<const int*>(table), index, 2);
    }

    static L widenI(I v) { return _mm256_cvtepu32_epi64(v); }
    // Lanes whose bit `bit` is set: here only the sign bit of each lane counts.
    static MD bitSetL(L h, int bit) {
        return _mm256_castsi256_pd(_mm256_sll_epi64(h, _mm_cvtsi32_si128(63 - bit)));
    }
    // v in the lanes whose bit `bit` of h is set, +0 elsewhere.
    static D keepIfBitD(D v, L h, int bit) {
        return _mm256_blendv_pd(_mm256_setzero_pd(), v, bitSetL(h, bit));
    }
    // v with its sign flipped in the lanes whose bit `bit` of h is set.
    static D flipSignD(D v, L h, int bit) {
        const L flag = _mm256_and_si256(h, _mm256_set1_epi64x(int64_t{1} << bit));
        return _mm256_xor_pd(
            v, _mm256_castsi256_pd(_mm256_sll_epi64(flag, _mm_cvtsi32_si128(63 - bit))));
    }
};

}  // namespace rm::avx2
