// The MT19937 engine, the multiply-and-reject draw below a bound and the paired-draw shuffle.
#include "noise/mersenne_twister.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace rm {
namespace {

// A draw below n by the multiply-and-reject rule, from the standard library's engine; counts
// the rejected outputs.
uint32_t referenceBelow(std::mt19937& engine, uint32_t n, int& rejected) {
    uint64_t p = uint64_t{static_cast<uint32_t>(engine())} * n;
    if (static_cast<uint32_t>(p) < n) {
        const uint32_t threshold = (0u - n) % n;
        while (static_cast<uint32_t>(p) < threshold) {
            ++rejected;
            p = uint64_t{static_cast<uint32_t>(engine())} * n;
        }
    }
    return static_cast<uint32_t>(p >> 32);
}

TEST(MersenneTwisterTest, GivesTheStandardMt19937Sequence) {
    MersenneTwister engine = seedMersenneTwister(5489);
    EXPECT_EQ(next(engine), 3499211612u);
    for (int i = 2; i < 10000; ++i)
        next(engine);
    EXPECT_EQ(next(engine), 4123659995u);  // the 10000th output

    // Across several regenerations of the state, for seeds including 0 and the noise default.
    for (const uint32_t seed : {0u, 1u, 0x1EADBEEFu, 0xFFFFFFFFu}) {
        MersenneTwister ours = seedMersenneTwister(seed);
        std::mt19937 standard(seed);
        for (int i = 0; i < 2000; ++i) {
            ASSERT_EQ(next(ours), static_cast<uint32_t>(standard()))
                << "seed " << seed << ", " << i;
        }
    }
}

TEST(UniformBelowTest, NeverRejectsABoundThatDividesTwoToThe32) {
    for (const uint32_t n : {1u, 2u, 256u, 0x80000000u}) {
        MersenneTwister engine = seedMersenneTwister(5489);
        std::mt19937 standard(5489);
        for (int i = 0; i < 1000; ++i) {
            // The draw is the top bits of one output, and each draw takes exactly one output.
            const uint64_t r = static_cast<uint32_t>(standard());
            ASSERT_EQ(uniformBelow(engine, n), static_cast<uint32_t>((r * n) >> 32)) << n;
        }
        EXPECT_EQ(next(engine), static_cast<uint32_t>(standard()));
    }
}

TEST(UniformBelowTest, RedrawsOnlyBelowTheThreshold) {
    // 2^31 + 1 rejects about half of all outputs; the others reject rarely or never.
    for (const uint32_t n : {3u, 6u, 255u * 256u, 1000000007u, 0x80000001u, 0xFFFFFFFFu}) {
        MersenneTwister engine = seedMersenneTwister(0x1EADBEEF);
        std::mt19937 standard(0x1EADBEEF);
        int rejected = 0;
        for (int i = 0; i < 1000; ++i) {
            const uint32_t expected = referenceBelow(standard, n, rejected);
            ASSERT_EQ(uniformBelow(engine, n), expected) << n << ", draw " << i;
        }
        EXPECT_EQ(next(engine), static_cast<uint32_t>(standard())) << n;
        if (n == 0x80000001u) {
            EXPECT_GT(rejected, 300);
        }
    }
}

TEST(ShuffleTest, LeavesOneEntryAndSwapsTwoByTheTopBitOfOneOutput) {
    for (const uint32_t seed : {1u, 5489u}) {
        int32_t one[1] = {7};
        MersenneTwister engine = seedMersenneTwister(seed);
        shuffle(one, 1, engine);
        EXPECT_EQ(one[0], 7);
        std::mt19937 standard(seed);
        EXPECT_EQ(next(engine), static_cast<uint32_t>(standard())) << "no output is drawn";

        int32_t two[2] = {10, 20};
        engine = seedMersenneTwister(seed);
        shuffle(two, 2, engine);
        standard.seed(seed);
        // The draw j is the top bit; a[1] is swapped with a[j], so j = 1 leaves both in place.
        const bool swapped = static_cast<uint32_t>(standard()) >> 31 == 0;
        EXPECT_EQ(two[0], swapped ? 20 : 10) << "seed " << seed;
        EXPECT_EQ(two[1], swapped ? 10 : 20) << "seed " << seed;
        EXPECT_EQ(next(engine), static_cast<uint32_t>(standard()));
    }
}

TEST(ShuffleTest, PlacesTwoPositionsWithEachDraw) {
    for (uint32_t n = 3; n <= 9; ++n) {
        for (const uint32_t seed : {2u, 99u, 0x1EADBEEFu}) {
            int32_t ours[9];
            int32_t expected[9];
            for (uint32_t i = 0; i < n; ++i)
                ours[i] = expected[i] = static_cast<int32_t>(i);
            MersenneTwister engine = seedMersenneTwister(seed);
            shuffle(ours, n, engine);

            std::mt19937 standard(seed);
            int rejected = 0;
            uint32_t i = 1;
            if (n % 2 == 0) {
                std::swap(expected[1], expected[referenceBelow(standard, 2, rejected)]);
                i = 2;
            }
            for (; i != n; i += 2) {
                const uint32_t x = referenceBelow(standard, (i + 1) * (i + 2), rejected);
                std::swap(expected[i], expected[x / (i + 2)]);
                std::swap(expected[i + 1], expected[x % (i + 2)]);
            }
            for (uint32_t k = 0; k < n; ++k) {
                EXPECT_EQ(ours[k], expected[k]) << "n " << n << ", seed " << seed << ", " << k;
            }
            EXPECT_EQ(next(engine), static_cast<uint32_t>(standard()));
        }
    }
}

}  // namespace
}  // namespace rm
