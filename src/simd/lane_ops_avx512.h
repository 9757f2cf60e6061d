#pragma once

// Eight lanes: floats in an AVX register, doubles in an AVX-512 register, conditions in mask
// registers. Every operation is the IEEE operation of its scalar counterpart, lane by lane;
// selections and sign changes are exact.
#include <immintrin.h>
#include <stdint.h>

#include "math/float_evaluation.h"
#include "simd/lane_strategies.h"

namespace rm::avx512 {

struct LaneOpsAvx512 {
    static constexpr int kWidth = 8;
    static constexpr bool kConstantsInCode = true;
    static constexpr int kGroups = 2;
    static constexpr GradientForm kGradients = GradientForm::LaneTables;
    static constexpr bool kCellsFromFloats = false;
    static constexpr bool kFloorByConversion = false;
    static constexpr int kRememberedGroundCells = 0;
    static constexpr MarchForm kMarch = MarchForm::RayPerLane;
    static constexpr bool kSkipsFineGround = false;
    static constexpr bool kJoinsConditions = false;
    using F = __m256;
    using D = __m512d;
    using I = __m256i;
    using L = __m512i;
    using MF = __mmask8;
    using MD = __mmask8;

    static F setF(float v) { return _mm256_set1_ps(v); }
    static F loadF(const float* p) { return _mm256_load_ps(p); }
    static void storeF(float* p, F v) { _mm256_store_ps(p, v); }
    static F addF(F a, F b) { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) { return _mm256_sub_ps(a, b); }
    static F mulF(F a, F b) { return _mm256_mul_ps(a, b); }
    static F sqrtF(F a) { return _mm256_sqrt_ps(a); }
    static MF leF(F a, F b) { return _mm256_cmp_ps_mask(a, b, _CMP_LE_OQ); }
    static MF ltF(F a, F b) { return _mm256_cmp_ps_mask(a, b, _CMP_LT_OQ); }
    static MF gtF(F a, F b) { return _mm256_cmp_ps_mask(a, b, _CMP_GT_OQ); }
    static MF geF(F a, F b) { return _mm256_cmp_ps_mask(a, b, _CMP_GE_OQ); }
    static MF andMF(MF a, MF b) { return static_cast<MF>(a & b); }
    static F selectF(MF m, F ifFalse, F ifTrue) { return _mm256_mask_blend_ps(m, ifFalse, ifTrue); }
    static int bitsF(MF m) { return m; }

    static D loadD(const double* p) { return _mm512_load_pd(p); }
    static void storeD(double* p, D v) { _mm512_store_pd(p, v); }
    static D setD(double v) { return _mm512_set1_pd(v); }
    static D addD(D a, D b) { return _mm512_add_pd(a, b); }
    static D subD(D a, D b) { return _mm512_sub_pd(a, b); }
    static D mulD(D a, D b) { return _mm512_mul_pd(a, b); }
    static D floorD(D a) {
        return _mm512_roundscale_pd(a, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    }
    static D absD(D a) { return _mm512_abs_pd(a); }
    static MD gtD(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static MD ltD(D a, D b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static MD andMD(MD a, MD b) { return static_cast<MD>(a & b); }
    static D selectD(MD m, D ifFalse, D ifTrue) { return _mm512_mask_blend_pd(m, ifFalse, ifTrue); }
    static D zeroUnlessD(MD m, D v) { return _mm512_maskz_mov_pd(m, v); }
    static int bitsD(MD m) { return m; }

    static D widen(F v) { return _mm512_cvtps_pd(v); }
    static F narrow(D v) { return _mm512_cvtpd_ps(v); }
    // Truncation of integral values; out of range or NaN gives 0x80000000.
    static I truncate(D v) { return _mm512_cvttpd_epi32(v); }
    static I truncateF(F v) { return _mm256_cvttps_epi32(v); }

    static I setI(int32_t v) { return _mm256_set1_epi32(v); }
    static I loadI(const int32_t* p) {
        return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
    }
    static void storeI(int32_t* p, I v) { _mm256_store_si256(reinterpret_cast<__m256i*>(p), v); }
    static I addI(I a, I b) { return _mm256_add_epi32(a, b); }
    static I andI(I a, I b) { return _mm256_and_si256(a, b); }
    static I orI(I a, I b) { return _mm256_or_si256(a, b); }
    static I shiftLeftI(I a, int n) { return _mm256_sll_epi32(a, _mm_cvtsi32_si128(n)); }
    static int equalBitsI(I a, I b) { return _mm256_cmpeq_epi32_mask(a, b); }
    static I selectI(MF m, I ifFalse, I ifTrue) {
        return _mm256_mask_blend_epi32(m, ifFalse, ifTrue);
    }
    // The 16-bit entries table[index] in the low halves of 32-bit lanes; the high halves hold
    // whatever follows each entry.
    static I gather(const uint16_t* table, I index) {
        return _mm256_i32gather_epi32(reinterpret_cast<const int*>(table), index, 2);
    }

    static L widenI(I v) { return _mm512_cvtepu32_epi64(v); }
    static L shiftRightL(L h, int n) { return _mm512_srli_epi64(h, static_cast<unsigned>(n)); }
    // table[h & 15] in every lane.
    static D tableD(const double (&table)[16], L h) {
        return _mm512_permutex2var_pd(_mm512_load_pd(table), h, _mm512_load_pd(table + 8));
    }
    static MD bitSetL(L h, int bit) {
        return _mm512_test_epi64_mask(h, _mm512_set1_epi64(int64_t{1} << bit));
    }
    static D keepIfBitD(D v, L h, int bit) { return _mm512_maskz_mov_pd(bitSetL(h, bit), v); }
    static D flipSignD(D v, L h, int bit) {
        const __mmask8 flip = _mm512_test_epi64_mask(h, _mm512_set1_epi64(int64_t{1} << bit));
        return _mm512_mask_xor_pd(v, flip, v, _mm512_set1_pd(-0.0));
    }
};

}  // namespace rm::avx512
