#pragma once

// Four lanes with AArch64 Advanced SIMD: floats and 32-bit integers in one register, doubles and
// 64-bit integers in a pair. Every operation is the IEEE operation of its scalar counterpart,
// lane by lane: a multiply and an add stay two instructions (never the fused FMLA, which only an
// explicit intrinsic or a contraction that -ffp-contract=off forbids would give), comparisons are
// ordered, and selections and sign changes are exact.
#include <arm_neon.h>
#include <stdint.h>

#include "math/float_evaluation.h"
#include "simd/lane_strategies.h"

namespace rm::neon {

struct LaneOpsNeon {
    static constexpr int kWidth = 4;
    static constexpr bool kConstantsInCode = true;
    static constexpr int kGroups = 2;
    static constexpr GradientForm kGradients = GradientForm::PairFactorRows;
    static constexpr bool kCellsFromFloats = true;
    static constexpr bool kFloorByConversion = false;
    static constexpr int kRememberedGroundCells = 0;
    static constexpr MarchForm kMarch = MarchForm::RayPerLane;
    static constexpr bool kSkipsFineGround = false;
    static constexpr bool kJoinsConditions = true;
    // Lanes 0 and 1 in `low`, 2 and 3 in `high`.
    struct Doubles {
        float64x2_t low;
        float64x2_t high;
    };
    struct Words {
        uint64x2_t low;
        uint64x2_t high;
    };
    using F = float32x4_t;  // float lanes
    using D = Doubles;      // double lanes
    using I = int32x4_t;    // 32-bit integer lanes
    using L = Words;        // 64-bit integer lanes
    using MF = uint32x4_t;  // float-lane condition: all bits set where true
    using MD = Words;       // double-lane condition: all bits set where true

    static F setF(float v) { return vdupq_n_f32(v); }
    static F loadF(const float* p) { return vld1q_f32(p); }
    static void storeF(float* p, F v) { vst1q_f32(p, v); }
    static F addF(F a, F b) { return vaddq_f32(a, b); }
    static F subF(F a, F b) { return vsubq_f32(a, b); }
    static F mulF(F a, F b) { return vmulq_f32(a, b); }
    static F sqrtF(F a) { return vsqrtq_f32(a); }
    static MF leF(F a, F b) { return vcleq_f32(a, b); }
    static MF ltF(F a, F b) { return vcltq_f32(a, b); }
    static MF gtF(F a, F b) { return vcgtq_f32(a, b); }
    static MF geF(F a, F b) { return vcgeq_f32(a, b); }
    static MF andMF(MF a, MF b) { return vandq_u32(a, b); }
    static MF orMF(MF a, MF b) { return vorrq_u32(a, b); }
    static F selectF(MF m, F ifFalse, F ifTrue) { return vbslq_f32(m, ifTrue, ifFalse); }
    static int bitsF(MF m) {
        const uint32x4_t weights = {1, 2, 4, 8};
        return static_cast<int>(vaddvq_u32(vandq_u32(m, weights)));
    }

    static D loadD(const double* p) { return {vld1q_f64(p), vld1q_f64(p + 2)}; }
    static void storeD(double* p, D v) {
        vst1q_f64(p, v.low);
        vst1q_f64(p + 2, v.high);
    }
    static D setD(double v) { return {vdupq_n_f64(v), vdupq_n_f64(v)}; }
    static D addD(D a, D b) { return {vaddq_f64(a.low, b.low), vaddq_f64(a.high, b.high)}; }
    static D subD(D a, D b) { return {vsubq_f64(a.low, b.low), vsubq_f64(a.high, b.high)}; }
    static D mulD(D a, D b) { return {vmulq_f64(a.low, b.low), vmulq_f64(a.high, b.high)}; }
    // FRINTM: the floor, exact for every double.
    static D floorD(D a) { return {vrndmq_f64(a.low), vrndmq_f64(a.high)}; }
    static D absD(D a) { return {vabsq_f64(a.low), vabsq_f64(a.high)}; }
    static MD gtD(D a, D b) { return {vcgtq_f64(a.low, b.low), vcgtq_f64(a.high, b.high)}; }
    static MD ltD(D a, D b) { return {vcltq_f64(a.low, b.low), vcltq_f64(a.high, b.high)}; }
    static MD andMD(MD a, MD b) { return {vandq_u64(a.low, b.low), vandq_u64(a.high, b.high)}; }
    static D selectD(MD m, D ifFalse, D ifTrue) {
        return {vbslq_f64(m.low, ifTrue.low, ifFalse.low),
                vbslq_f64(m.high, ifTrue.high, ifFalse.high)};
    }
    static D zeroUnlessD(MD m, D v) {
        return {vreinterpretq_f64_u64(vandq_u64(m.low, vreinterpretq_u64_f64(v.low))),
                vreinterpretq_f64_u64(vandq_u64(m.high, vreinterpretq_u64_f64(v.high)))};
    }
    static int bitsD(MD m) { return bitsF(vcombine_u32(vmovn_u64(m.low), vmovn_u64(m.high))); }

    static D widen(F v) { return {vcvt_f64_f32(vget_low_f32(v)), vcvt_high_f64_f32(v)}; }
    // FCVTN rounds to nearest, as the scalar narrowing does.
    static F narrow(D v) { return vcvt_high_f32_f64(vcvt_f32_f64(v.low), v.high); }
    // Truncation of integral values; at 2^31 and above, below -2^31, or NaN, 0x80000000 as the
    // other paths give. FCVTZS saturates (to 0x7fffffff above, and gives 0 for NaN), so those
    // lanes are first replaced by -2^31; below it the saturating narrowing gives 0x80000000.
    static I truncate(D v) {
        const float64x2_t below = vdupq_n_f64(-2147483648.0);
        const float64x2_t limit = vdupq_n_f64(2147483648.0);
        const float64x2_t low = vbslq_f64(vcltq_f64(v.low, limit), v.low, below);
        const float64x2_t high = vbslq_f64(vcltq_f64(v.high, limit), v.high, below);
        return vcombine_s32(vqmovn_s64(vcvtq_s64_f64(low)), vqmovn_s64(vcvtq_s64_f64(high)));
    }
    // Truncation toward zero; out of range it saturates, and NaN gives 0.
    static I truncateF(F v) { return vcvtq_s32_f32(v); }
    // FRINTM: the floor, exact for every float.
    static F floorF(F a) { return vrndmq_f32(a); }
    // Truncation of integral values, with truncate's low 31 bits: at 2^31 and above 0x80000000
    // (FCVTZS would saturate to 0x7fffffff), below -2^31 0x80000000 from FCVTZS, and for NaN 0,
    // whose low bits are those of truncate's 0x80000000.
    static I truncateIntegralF(F v) {
        const uint32x4_t big = vcgeq_f32(v, vdupq_n_f32(2147483648.0f));
        return vbslq_s32(big, vdupq_n_s32(INT32_MIN), vcvtq_s32_f32(v));
    }

    static I setI(int32_t v) { return vdupq_n_s32(v); }
    static I loadI(const int32_t* p) { return vld1q_s32(p); }
    static void storeI(int32_t* p, I v) { vst1q_s32(p, v); }
    static I addI(I a, I b) { return vaddq_s32(a, b); }
    static I andI(I a, I b) { return vandq_s32(a, b); }
    static I orI(I a, I b) { return vorrq_s32(a, b); }
    static I shiftLeftI(I a, int n) { return vshlq_s32(a, vdupq_n_s32(n)); }
    static MF equalI(I a, I b) { return vceqq_s32(a, b); }
    static int equalBitsI(I a, I b) { return bitsF(equalI(a, b)); }
    static I selectI(MF m, I ifFalse, I ifTrue) { return vbslq_s32(m, ifTrue, ifFalse); }
    // No gather: the four 16-bit entries are read one by one.
    static I gather(const uint16_t* table, I index) {
        return I{table[vgetq_lane_s32(index, 0)], table[vgetq_lane_s32(index, 1)],
                 table[vgetq_lane_s32(index, 2)], table[vgetq_lane_s32(index, 3)]};
    }

    // Each lane's point (x, y) in a register of its own, x low.
    struct Points {
        float64x2_t lane[kWidth];
    };
    static Points pointsD(D x, D y) {
        return {{vzip1q_f64(x.low, y.low), vzip2q_f64(x.low, y.low), vzip1q_f64(x.high, y.high),
                 vzip2q_f64(x.high, y.high)}};
    }
    // Every point less (dx, dy).
    static Points subPoints(const Points& p, double dx, double dy) {
        const float64x2_t d = {dx, dy};
        return {{vsubq_f64(p.lane[0], d), vsubq_f64(p.lane[1], d), vsubq_f64(p.lane[2], d),
                 vsubq_f64(p.lane[3], d)}};
    }
    // Three dot products in each lane with its row r = rows[lane] of six doubles, loaded at
    // once: x * r[0] + y * r[1] with the lane's point (x, y) of p, and the same with r[2], r[3]
    // and with r[4], r[5] and its point of q. A product of a point and two doubles of the row is
    // one multiplication, and two lanes' products make one pairwise sum.
    struct Dots {
        D first;
        D second;
        D third;
    };
    static Dots dotRowsD(const Points& p, const Points& q, const char* const* rows) {
        float64x2_t m[3][kWidth];
        for (int lane = 0; lane < kWidth; ++lane) {
            const float64x2x3_t r = vld1q_f64_x3(reinterpret_cast<const double*>(rows[lane]));
            m[0][lane] = vmulq_f64(p.lane[lane], r.val[0]);
            m[1][lane] = vmulq_f64(q.lane[lane], r.val[1]);
            m[2][lane] = vmulq_f64(q.lane[lane], r.val[2]);
        }
        return {{vpaddq_f64(m[0][0], m[0][1]), vpaddq_f64(m[0][2], m[0][3])},
                {vpaddq_f64(m[1][0], m[1][1]), vpaddq_f64(m[1][2], m[1][3])},
                {vpaddq_f64(m[2][0], m[2][1]), vpaddq_f64(m[2][2], m[2][3])}};
    }

    // gather, with the low and the high byte of each entry in the low and the high 16 bits of
    // its lane, each shifted left by kShift: one widening shift of the entries' bytes (the lanes
    // are little-endian) takes the place of the widening of the entries.
    template <int kShift>
    static I gatherBytesShifted(const uint16_t* table, I index) {
        const uint16x4_t entries = {
            table[vgetq_lane_s32(index, 0)], table[vgetq_lane_s32(index, 1)],
            table[vgetq_lane_s32(index, 2)], table[vgetq_lane_s32(index, 3)]};
        return vreinterpretq_s32_u16(vshll_n_u8(vreinterpret_u8_u16(entries), kShift));
    }

    // The addresses base + the low 16 bits and base + the high 16 bits of each lane.
    static void halvesFrom(const char* base, I offsets, const char** low, const char** high) {
        alignas(16) uint32_t lanes[kWidth];
        vst1q_u32(lanes, vreinterpretq_u32_s32(offsets));
        for (int lane = 0; lane < kWidth; ++lane) {
            uint64_t v = lanes[lane];
            // Once GCC cannot see that the upper half of v is zero, it adds the high bits with
            // the shift in the addition instead of shifting them apart.
            asm("" : "+r"(v));
            low[lane] = base + (v & 0xffff);
            high[lane] = base + (v >> 16);
        }
    }

    static L widenI(I v) {
        const uint32x4_t u = vreinterpretq_u32_s32(v);
        return {vmovl_u32(vget_low_u32(u)), vmovl_high_u32(u)};
    }
    // Lanes whose bit `bit` is set.
    static MD bitSetL(L h, int bit) {
        const uint64x2_t flag = vdupq_n_u64(uint64_t{1} << bit);
        return {vtstq_u64(h.low, flag), vtstq_u64(h.high, flag)};
    }
    // v in the lanes whose bit `bit` of h is set, +0 elsewhere.
    static D keepIfBitD(D v, L h, int bit) { return zeroUnlessD(bitSetL(h, bit), v); }
    // v with its sign flipped in the lanes whose bit `bit` of h is set.
    static D flipSignD(D v, L h, int bit) {
        const uint64x2_t flag = vdupq_n_u64(uint64_t{1} << bit);
        const int64x2_t up = vdupq_n_s64(63 - bit);
        return {vreinterpretq_f64_u64(
                    veorq_u64(vreinterpretq_u64_f64(v.low), vshlq_u64(vandq_u64(h.low, flag), up))),
                vreinterpretq_f64_u64(veorq_u64(vreinterpretq_u64_f64(v.high),
                                                vshlq_u64(vandq_u64(h.high, flag), up)))};
    }
};

}  // namespace rm::neon
