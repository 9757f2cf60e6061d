#pragma once

// Every form in which the plane noise finds the gradients of a cell's corners from their codes
// (see planeGradientCode), each giving the very bits of the others; planeNoiseInCell
// (plane_noise_lanes.h) takes the form V::kGradients names:
//   CodeBits        gradientLanes: tests of each code's bits
//   LaneTables      kPlaneGradientFactors: factors of u + v and of v, read per lane
//   PairFactors,    kPlaneGradientPairFactors: the factors of a near corner's u + v and of the far
//   PairFactorRows    corner beside it (u and v apart), 64 bytes per pair of codes
//   PairCases       planePairAlongXOf: the code written out for each of the 256 pairs of codes
#include <stdint.h>

namespace rm {

// The components of a corner gradient, u and v, one per lane.
template <class V>
struct GradientLanes {
    typename V::D u;
    typename V::D v;
};

// The components of one corner gradient, whose code (see planeGradientCode) stands at bit `at`
// of the codes.
template <class V>
__attribute__((always_inline)) inline GradientLanes<V> gradientLanes(typename V::L codes, int at,
                                                                     typename V::D x,
                                                                     typename V::D y) {
    const typename V::MD uIsY = V::bitSetL(codes, at + 3);
    const typename V::D u = V::selectD(uIsY, x, y);
    const typename V::D other = V::selectD(uIsY, y, x);
    const typename V::D v = V::keepIfBitD(other, codes, at + 2);
    return {V::flipSignD(u, codes, at), V::flipSignD(v, codes, at + 1)};
}

// The factor tables: the gradient choices of a cell's corners as factors. Made with tests of the
// code bits (see planeGradientCode), the choices follow random bits that no branch predictor can
// learn, and lanes of vectors have no such tests; products with factors of -1, 0 and +1 are exact,
// and every compiler keeps them as they are.

// For lanes that look up a small table per lane: by the gradient code of a corner, the factors of
// the corner's offsets x and y in u + v and in v alone, each -1, 0 or 1. A product with such a
// factor is exact, and u + v never holds the same offset twice, so x * gX + y * gY is u + v and
// x * vX + y * vY is v, up to the sign of a zero term, which leaves every other sum as it is.
struct PlaneGradientFactors {
    alignas(64) double gX[16];
    alignas(64) double gY[16];
    alignas(64) double vX[16];
    alignas(64) double vY[16];
};

constexpr PlaneGradientFactors makePlaneGradientFactors() {
    PlaneGradientFactors f{};
    for (int32_t h = 0; h < 16; ++h) {
        const double uSign = (h & 1) ? -1.0 : 1.0;
        const double vSign = (h & 2) ? -1.0 : 1.0;
        const double uX = (h & 8) ? 0.0 : uSign;
        const double uY = (h & 8) ? uSign : 0.0;
        f.vX[h] = (h & 4) && (h & 8) ? vSign : 0.0;
        f.vY[h] = (h & 4) && !(h & 8) ? vSign : 0.0;
        f.gX[h] = uX + f.vX[h];
        f.gY[h] = uY + f.vY[h];
    }
    return f;
}

inline constexpr PlaneGradientFactors kPlaneGradientFactors = makePlaneGradientFactors();

// The factors of u and of v alone by gradient code, side by side: the far corner's part of an
// entry of kPlaneGradientPairFactors, which a single lane reads all at once.
struct PlaneGradientFarFactors {
    struct Code {
        double uX;
        double uY;
        double vX;
        double vY;
    };
    alignas(64) Code codes[16];
};

constexpr PlaneGradientFarFactors makePlaneGradientFarFactors() {
    const PlaneGradientFactors f = makePlaneGradientFactors();
    PlaneGradientFarFactors far{};
    for (int32_t h = 0; h < 16; ++h)
        far.codes[h] = {f.gX[h] - f.vX[h], f.gY[h] - f.vY[h], f.vX[h], f.vY[h]};
    return far;
}

// For a single lane, the factors of a near corner's u + v and of the far corner beside it along
// x, by the pair's two codes (near code in the low four bits), in entries of 64 bytes.
struct PlaneGradientPairFactors {
    struct Pair {
        double gX;
        double gY;
        PlaneGradientFarFactors::Code far;
        double unused[2];
    };
    alignas(64) Pair pairs[256];
};

constexpr PlaneGradientPairFactors makePlaneGradientPairFactors() {
    const PlaneGradientFactors f = makePlaneGradientFactors();
    const PlaneGradientFarFactors far = makePlaneGradientFarFactors();
    PlaneGradientPairFactors pairs{};
    for (int32_t h = 0; h < 256; ++h)
        pairs.pairs[h] = {f.gX[h & 15], f.gY[h & 15], far.codes[h >> 4], {0.0, 0.0}};
    return pairs;
}

inline constexpr PlaneGradientPairFactors kPlaneGradientPairFactors =
    makePlaneGradientPairFactors();

// The written-out pairs: a cell's pair of corners along x, interpolated in code written out for
// each of the 256 pairs of gradient codes, for a single lane on a processor that pays for every
// instruction (GradientForm::PairCases). One jump through a table replaces the six loads, six
// products and three sums with factors of -1, 0 and 1 that form the pair's terms (see
// kPlaneGradientPairFactors): each case forms the very values those products and sums give, bit
// for bit, with a subtraction or a negation at most where they have a factor -1.
//
// The offsets are those of a cell: x and, in the near row, y are never -0 (the look-ups add +0,
// and a remembered cell holds its point strictly inside), x1 = x - 1 and, in the far row, y are
// below zero. A product with a factor 0 is then +0 for x and the near row's y, and -0 for x1 and
// the far row's y; adding -0 changes no sum, and adding +0 changes only a -0.

// x * fx + y * fy with factors fx and fy of -1, 0 and 1, not both 0.
template <int kFx, int kFy, bool kNegativeY>
__attribute__((always_inline)) inline double planeFactorSum(double x, double y) {
    static_assert(kFx != 0 || kFy != 0);
    if constexpr (kFx > 0 && kFy != 0) return kFy > 0 ? x + y : x - y;
    // -x + y is y - x. The product -x comes first in -x - y: rounding to nearest is not symmetric
    // where x + y cancels to +0.
    if constexpr (kFx < 0 && kFy != 0) return kFy > 0 ? y - x : -x - y;
    // x + (+0 or -0) is x; -x + (+0) is +0 where x is +0, as 0 - x is, and -x + (-0) is -x.
    if constexpr (kFy == 0) return kFx > 0 ? x : (kNegativeY ? -x : 0.0 - x);
    // +0 + y is y; +0 - y is +0 where y is +0, as 0 - y is, and -y for a y below zero.
    return kFy > 0 ? y : (kNegativeY ? -y : 0.0 - y);
}

// x1 * fx + y * fy, the u or the v of a far corner: the chosen offset, negated or not, as adding
// the other product, a zero, leaves it; with both factors 0, -0 + (+0) = +0 in the near row and
// -0 + (-0) = -0 in the far one.
template <int kFx, int kFy, bool kNegativeY>
__attribute__((always_inline)) inline double planeFarTerm(double x1, double y) {
    if constexpr (kFx != 0) return kFx > 0 ? x1 : -x1;
    if constexpr (kFy != 0) return kFy > 0 ? y : -y;
    return kNegativeY ? -0.0 : 0.0;
}

// ((u - g) + v) * fu + g along the near row (y = yf) and ((u - g) + v) * fu + (g - nearRow) along
// the far row (y = y1), for the pair of codes kPair: the near corner's code in the low four bits,
// with offsets (x, y), the far corner's in the high four, with offsets (x1, y).
template <int kPair, bool kFarRow>
__attribute__((always_inline)) inline double planePairAlongX(double x, double y, double x1,
                                                             double fu, double nearRow) {
    constexpr int kNear = kPair & 15;
    constexpr int kFar = kPair >> 4;
    constexpr PlaneGradientFactors f = kPlaneGradientFactors;
    constexpr int kGX = static_cast<int>(f.gX[kNear]);
    constexpr int kGY = static_cast<int>(f.gY[kNear]);
    constexpr int kVX = static_cast<int>(f.vX[kFar]);
    constexpr int kVY = static_cast<int>(f.vY[kFar]);
    constexpr int kUX = static_cast<int>(f.gX[kFar]) - kVX;
    constexpr int kUY = static_cast<int>(f.gY[kFar]) - kVY;
    const double g = planeFactorSum<kGX, kGY, kFarRow>(x, y);
    const double d = planeFarTerm<kUX, kUY, kFarRow>(x1, y) - g;
    double s = d;
    // A zero v adds -0 in the far row, which changes nothing, and +0 in the near row, which
    // changes only d = -0; that needs u = -0 and g = +0, where (-0) * fu + g is +0 as
    // (+0) * fu + g is.
    if constexpr (kVX != 0 || kVY != 0) s = d + planeFarTerm<kVX, kVY, kFarRow>(x1, y);
    if constexpr (kFarRow) return s * fu + (g - nearRow);
    return s * fu + g;
}

// planePairAlongX for a pair of codes from 0 to 255 known only at run time: a switch over all 256,
// which compilers turn into one jump through a table. For GCC, an empty statement hides the code's
// range, which GCC would otherwise test against the table's bounds before the jump. Clang 14 goes
// without: given the statement, it reused the statement's register for the jump before it
// (riscv32: a crash).
#define RM_PAIR_CASE(n) \
    case n:             \
        return planePairAlongX<n, kFarRow>(x, y, x1, fu, nearRow);
#define RM_PAIR_CASES4(n) \
    RM_PAIR_CASE(n) RM_PAIR_CASE(n + 1) RM_PAIR_CASE(n + 2) RM_PAIR_CASE(n + 3)
#define RM_PAIR_CASES16(n) \
    RM_PAIR_CASES4(n) RM_PAIR_CASES4(n + 4) RM_PAIR_CASES4(n + 8) RM_PAIR_CASES4(n + 12)
#define RM_PAIR_CASES64(n) \
    RM_PAIR_CASES16(n) RM_PAIR_CASES16(n + 16) RM_PAIR_CASES16(n + 32) RM_PAIR_CASES16(n + 48)

template <bool kFarRow>
__attribute__((always_inline)) inline double planePairAlongXOf(int32_t pair, double x, double y,
                                                               double x1, double fu,
                                                               double nearRow) {
    intptr_t code = pair;
#if !defined(__clang__)
    asm("" : "+r"(code));
#endif
    switch (code) {
        RM_PAIR_CASES64(0)
        RM_PAIR_CASES64(64)
        RM_PAIR_CASES64(128)
        RM_PAIR_CASES64(192)
        default:
            __builtin_unreachable();
    }
}

#undef RM_PAIR_CASES64
#undef RM_PAIR_CASES16
#undef RM_PAIR_CASES4
#undef RM_PAIR_CASE

}  // namespace rm
