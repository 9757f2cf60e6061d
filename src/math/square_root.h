#pragma once

// The correctly rounded square root. Where the processor has a square-root instruction the builtin
// is that instruction. Without one, compilers call the C library's sqrt, so an exact square root of
// our own, in integer arithmetic, stands in: soft-float ABIs (Arm EABI's armel), the doubles of a
// single-precision unit (Cortex-M4), the 68040 and 68060 (whose FPU leaves fsqrt to software),
// Alpha before the FIX extension (EV6), and 32-bit PowerPC without the optional general-purpose
// group of instructions (_ARCH_PPCGR).
#include <stdint.h>

#include "math/float_bits.h"
#include "math/float_evaluation.h"

namespace rm {

// floor(sqrt(m * 2^shift)) and whether the square root lies above that integer plus one half,
// found two bits of the radicand at a time (m * 2^shift < 2^128, the root below 2^62).
inline uint64_t integerSquareRoot(uint64_t m, int shift, bool& roundUp) {
    uint64_t root = 0;
    uint64_t remainder = 0;
    for (int bit = 126; bit >= 0; bit -= 2) {
        const int low = bit - shift;
        const uint64_t pair =
            low >= 0 ? (low < 64 ? (m >> low) & 3u : 0u) : (low == -1 ? (m << 1) & 2u : 0u);
        remainder = (remainder << 2) | pair;
        root <<= 1;
        const uint64_t trial = (root << 1) | 1u;
        if (remainder >= trial) {
            remainder -= trial;
            root |= 1u;
        }
    }
    // sqrt(M) > root + 1/2 exactly when M - root^2 > root; it is never exactly a half.
    roundUp = remainder > root;
    return root;
}

// The square root of the IEEE number with the bit pattern `bits`, of `mantissaBits` stored
// fraction bits and `exponentBits` exponent bits, rounded to nearest, ties to even.
inline uint64_t squareRootBits(uint64_t bits, int mantissaBits, int exponentBits) {
    const uint64_t signBit = uint64_t{1} << (mantissaBits + exponentBits);
    const int exponentMax = (1 << exponentBits) - 1;
    const int bias = exponentMax >> 1;
    const uint64_t fraction = bits & ((uint64_t{1} << mantissaBits) - 1);
    int exponent = static_cast<int>((bits >> mantissaBits) & static_cast<uint64_t>(exponentMax));
    if ((bits & ~signBit) == 0) return bits;  // +0 and -0
    if (bits & signBit) {
        return (static_cast<uint64_t>(exponentMax) << mantissaBits) |
               (uint64_t{1} << (mantissaBits - 1));  // the default NaN
    }
    if (exponent == exponentMax) return bits;  // +infinity, or a NaN
    uint64_t m = fraction;
    if (exponent == 0) {  // subnormal: normalise
        exponent = 1;
        while (!(m >> mantissaBits)) {
            m <<= 1;
            --exponent;
        }
    } else {
        m |= uint64_t{1} << mantissaBits;
    }
    // The value is m * 2^e with m of mantissaBits + 1 bits. A shift of mantissaBits or one more,
    // whichever leaves an even exponent, gives a root of exactly mantissaBits + 1 bits.
    const int e = exponent - bias - mantissaBits;
    const int shift = (e - mantissaBits) % 2 == 0 ? mantissaBits : mantissaBits + 1;
    bool roundUp = false;
    uint64_t root = integerSquareRoot(m, shift, roundUp);
    root += roundUp ? 1u : 0u;
    const int rootExponent = (e - shift) / 2 + mantissaBits;
    // A root rounded up to 2^(mantissaBits + 1) carries into the exponent field, as it should.
    return (static_cast<uint64_t>(rootExponent + bias) << mantissaBits) +
           (root - (uint64_t{1} << mantissaBits));
}

inline float sqrtBySoftware(float v) {
    return floatFromBits(static_cast<uint32_t>(squareRootBits(floatBits(v), 23, 8)));
}
inline double sqrtBySoftware(double v) {
    return doubleFromBits(squareRootBits(doubleBits(v), 52, 11));
}

#if defined(__SOFTFP__) || defined(__mips_soft_float) || defined(_SOFT_FLOAT) || \
    defined(__riscv_float_abi_soft) || defined(__m68k__) ||                      \
    (defined(__alpha__) && !defined(__alpha_fix__)) ||                           \
    (defined(__powerpc__) && !defined(__powerpc64__) && !defined(_ARCH_PPCGR))
inline float sqrtF(float v) { return sqrtBySoftware(v); }
inline double sqrtD(double v) { return sqrtBySoftware(v); }
#elif defined(__arm__) && defined(__ARM_FP) && !(__ARM_FP & 8)
// A floating-point unit of single precision only (Cortex-M4's FPv4-SP): its instruction for
// floats; the doubles are software, where the compiler would call the C library's sqrt.
inline float sqrtF(float v) { return __builtin_sqrtf(v); }
inline double sqrtD(double v) { return sqrtBySoftware(v); }
#else
inline float sqrtF(float v) { return __builtin_sqrtf(v); }
inline double sqrtD(double v) { return __builtin_sqrt(v); }
#endif

}  // namespace rm
