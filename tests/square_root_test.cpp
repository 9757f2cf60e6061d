// The square root of our own, for processors without floating-point hardware, against this
// machine's square-root instruction, bit for bit.
#include "math/square_root.h"

#include <gtest/gtest.h>
#include <stdint.h>

#include "math/float_bits.h"

namespace {

uint32_t hardwareBits(uint32_t bits) {
    return rm::floatBits(__builtin_sqrtf(rm::floatFromBits(bits)));
}
uint32_t softwareBits(uint32_t bits) {
    return rm::floatBits(rm::sqrtBySoftware(rm::floatFromBits(bits)));
}
uint64_t hardwareBits(uint64_t bits) {
    return rm::doubleBits(__builtin_sqrt(rm::doubleFromBits(bits)));
}
uint64_t softwareBits(uint64_t bits) {
    return rm::doubleBits(rm::sqrtBySoftware(rm::doubleFromBits(bits)));
}

TEST(SquareRoot, EveryFloatOfAStrideAndEverySubnormalEdge) {
    // Every 97th positive float covers each exponent and mantissa pattern many times over.
    for (uint64_t b = 0; b < 0x7f800000u; b += 97) {
        ASSERT_EQ(softwareBits(static_cast<uint32_t>(b)), hardwareBits(static_cast<uint32_t>(b)))
            << std::hex << b;
    }
    for (uint32_t b : {0x00000001u, 0x00000002u, 0x00000003u, 0x007fffffu, 0x00800000u, 0x3f800000u,
                       0x3f800001u, 0x3fffffffu, 0x40800000u, 0x7f7fffffu}) {
        EXPECT_EQ(softwareBits(b), hardwareBits(b)) << std::hex << b;
    }
}

TEST(SquareRoot, DoublesFromAFixedSequence) {
    uint64_t x = 0x9e3779b97f4a7c15u;
    for (int i = 0; i < 2000000; ++i) {
        x ^= x << 13;
        x ^= x >> 7;
        x ^= x << 17;
        const uint64_t b = x & 0x7fffffffffffffffu;
        if ((b >> 52) == 0x7ff) continue;
        ASSERT_EQ(softwareBits(b), hardwareBits(b)) << std::hex << b;
    }
    for (uint64_t b : {uint64_t{1}, uint64_t{0x000fffffffffffff}, uint64_t{0x0010000000000000},
                       uint64_t{0x3ff0000000000000}, uint64_t{0x3ff0000000000001},
                       uint64_t{0x7fefffffffffffff}}) {
        EXPECT_EQ(softwareBits(b), hardwareBits(b)) << std::hex << b;
    }
}

TEST(SquareRoot, ZerosInfinityNaNAndNegatives) {
    EXPECT_EQ(softwareBits(uint32_t{0x00000000}), 0x00000000u);
    EXPECT_EQ(softwareBits(uint32_t{0x80000000}), 0x80000000u);
    EXPECT_EQ(softwareBits(uint32_t{0x7f800000}), 0x7f800000u);
    EXPECT_EQ(softwareBits(uint64_t{0x8000000000000000}), 0x8000000000000000u);
    EXPECT_EQ(softwareBits(uint64_t{0x7ff0000000000000}), 0x7ff0000000000000u);
    EXPECT_TRUE(__builtin_isnan(rm::sqrtBySoftware(-1.0f)));
    EXPECT_TRUE(__builtin_isnan(rm::sqrtBySoftware(-0x1p-1074)));
    EXPECT_TRUE(__builtin_isnan(rm::sqrtBySoftware(__builtin_nanf(""))));
}

}  // namespace
