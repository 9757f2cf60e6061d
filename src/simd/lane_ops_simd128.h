#pragma once

// Four lanes with WebAssembly SIMD: floats and 32-bit integers in one register, doubles and
// 64-bit integers in a pair. Every operation is the IEEE operation of its scalar counterpart,
// lane by lane, and comparisons are ordered; selections and sign changes are exact.
#include <stdint.h>
#include <wasm_simd128.h>

#include "math/float_evaluation.h"
#include "simd/lane_strategies.h"

namespace rm {

struct LaneOpsWasm {
    static constexpr int kWidth = 4;
    static constexpr bool kConstantsInCode = true;
    static constexpr int kGroups = 2;
    static constexpr GradientForm kGradients = GradientForm::CodeBits;
    static constexpr bool kCellsFromFloats = false;
    static constexpr bool kFloorByConversion = false;
    static constexpr int kRememberedGroundCells = 0;
    static constexpr MarchForm kMarch = MarchForm::RayPerLane;
    static constexpr bool kSkipsFineGround = false;
    static constexpr bool kJoinsConditions = false;
    // Lanes 0 and 1 in `low`, 2 and 3 in `high`.
    struct Pair {
        v128_t low;
        v128_t high;
    };
    using F = v128_t;   // float lanes
    using D = Pair;     // double lanes
    using I = v128_t;   // 32-bit integer lanes
    using L = Pair;     // 64-bit integer lanes
    using MF = v128_t;  // float-lane condition: all bits set where true
    using MD = Pair;    // double-lane condition: all bits set where true

    template <typename Op>
    static Pair each(Pair a, Pair b, Op op) {
        return {op(a.low, b.low), op(a.high, b.high)};
    }

    static F setF(float v) { return wasm_f32x4_splat(v); }
    static F loadF(const float* p) { return wasm_v128_load(p); }
    static void storeF(float* p, F v) { wasm_v128_store(p, v); }
    static F addF(F a, F b) { return wasm_f32x4_add(a, b); }
    static F subF(F a, F b) { return wasm_f32x4_sub(a, b); }
    static F mulF(F a, F b) { return wasm_f32x4_mul(a, b); }
    static F sqrtF(F a) { return wasm_f32x4_sqrt(a); }
    static MF leF(F a, F b) { return wasm_f32x4_le(a, b); }
    static MF ltF(F a, F b) { return wasm_f32x4_lt(a, b); }
    static MF gtF(F a, F b) { return wasm_f32x4_gt(a, b); }
    static MF geF(F a, F b) { return wasm_f32x4_ge(a, b); }
    static MF andMF(MF a, MF b) { return wasm_v128_and(a, b); }
    static F selectF(MF m, F ifFalse, F ifTrue) { return wasm_v128_bitselect(ifTrue, ifFalse, m); }
    static int bitsF(MF m) { return static_cast<int>(wasm_i32x4_bitmask(m)); }

    static D loadD(const double* p) { return {wasm_v128_load(p), wasm_v128_load(p + 2)}; }
    static void storeD(double* p, D v) {
        wasm_v128_store(p, v.low);
        wasm_v128_store(p + 2, v.high);
    }
    static D setD(double v) { return {wasm_f64x2_splat(v), wasm_f64x2_splat(v)}; }
    static D addD(D a, D b) { return each(a, b, wasm_f64x2_add); }
    static D subD(D a, D b) { return each(a, b, wasm_f64x2_sub); }
    static D mulD(D a, D b) { return each(a, b, wasm_f64x2_mul); }
    static D floorD(D a) { return {wasm_f64x2_floor(a.low), wasm_f64x2_floor(a.high)}; }
    static D absD(D a) { return {wasm_f64x2_abs(a.low), wasm_f64x2_abs(a.high)}; }
    static MD gtD(D a, D b) { return each(a, b, wasm_f64x2_gt); }
    static MD ltD(D a, D b) { return each(a, b, wasm_f64x2_lt); }
    static MD andMD(MD a, MD b) { return each(a, b, wasm_v128_and); }
    static D selectD(MD m, D ifFalse, D ifTrue) {
        return {wasm_v128_bitselect(ifTrue.low, ifFalse.low, m.low),
                wasm_v128_bitselect(ifTrue.high, ifFalse.high, m.high)};
    }
    static D zeroUnlessD(MD m, D v) { return each(m, v, wasm_v128_and); }
    static int bitsD(MD m) {
        return static_cast<int>(wasm_i64x2_bitmask(m.low) | wasm_i64x2_bitmask(m.high) << 2);
    }

    static D widen(F v) {
        return {wasm_f64x2_promote_low_f32x4(v),
                wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(v, v, 2, 3, 2, 3))};
    }
    static F narrow(D v) {
        return wasm_i32x4_shuffle(wasm_f32x4_demote_f64x2_zero(v.low),
                                  wasm_f32x4_demote_f64x2_zero(v.high), 0, 1, 4, 5);
    }
    // Truncation of integral values; at 2^31 and above, or NaN, 0x80000000 as the other paths
    // give (the saturating conversion would give 0x7fffffff, and 0 for NaN).
    static I truncate(D v) {
        const v128_t below = wasm_f64x2_splat(-2147483648.0);
        const v128_t limit = wasm_f64x2_splat(2147483648.0);
        const v128_t low = wasm_v128_bitselect(v.low, below, wasm_f64x2_lt(v.low, limit));
        const v128_t high = wasm_v128_bitselect(v.high, below, wasm_f64x2_lt(v.high, limit));
        return wasm_i32x4_shuffle(wasm_i32x4_trunc_sat_f64x2_zero(low),
                                  wasm_i32x4_trunc_sat_f64x2_zero(high), 0, 1, 4, 5);
    }

    // Truncation toward zero; out of range it saturates, and NaN gives 0.
    static I truncateF(F v) { return wasm_i32x4_trunc_sat_f32x4(v); }

    static I setI(int32_t v) { return wasm_i32x4_splat(v); }
    static I loadI(const int32_t* p) { return wasm_v128_load(p); }
    static void storeI(int32_t* p, I v) { wasm_v128_store(p, v); }
    static I addI(I a, I b) { return wasm_i32x4_add(a, b); }
    static I andI(I a, I b) { return wasm_v128_and(a, b); }
    static I orI(I a, I b) { return wasm_v128_or(a, b); }
    static I shiftLeftI(I a, int n) { return wasm_i32x4_shl(a, static_cast<uint32_t>(n)); }
    static int equalBitsI(I a, I b) {
        return static_cast<int>(wasm_i32x4_bitmask(wasm_i32x4_eq(a, b)));
    }
    static I selectI(MF m, I ifFalse, I ifTrue) { return wasm_v128_bitselect(ifTrue, ifFalse, m); }
    // No gather: the four 16-bit entries are read one by one.
    static I gather(const uint16_t* table, I index) {
        return wasm_i32x4_make(
            table[wasm_i32x4_extract_lane(index, 0)], table[wasm_i32x4_extract_lane(index, 1)],
            table[wasm_i32x4_extract_lane(index, 2)], table[wasm_i32x4_extract_lane(index, 3)]);
    }

    static L widenI(I v) {
        return {wasm_u64x2_extend_low_u32x4(v), wasm_u64x2_extend_high_u32x4(v)};
    }
    // Lanes whose bit `bit` is set. A comparison of the masked bit rather than an arithmetic shift
    // of it over the lane: x86 has no 64-bit arithmetic shift below AVX-512, and engines build one
    // from several instructions.
    static MD bitSetL(L h, int bit) {
        const v128_t flag = wasm_i64x2_splat(int64_t{1} << bit);
        return {wasm_i64x2_eq(wasm_v128_and(h.low, flag), flag),
                wasm_i64x2_eq(wasm_v128_and(h.high, flag), flag)};
    }
    // v in the lanes whose bit `bit` of h is set, +0 elsewhere.
    static D keepIfBitD(D v, L h, int bit) { return zeroUnlessD(bitSetL(h, bit), v); }
    // v with its sign flipped in the lanes whose bit `bit` of h is set.
    static D flipSignD(D v, L h, int bit) {
        const v128_t flag = wasm_i64x2_splat(int64_t{1} << bit);
        const uint32_t up = static_cast<uint32_t>(63 - bit);
        return {wasm_v128_xor(v.low, wasm_i64x2_shl(wasm_v128_and(h.low, flag), up)),
                wasm_v128_xor(v.high, wasm_i64x2_shl(wasm_v128_and(h.high, flag), up))};
    }
};

}  // namespace rm
