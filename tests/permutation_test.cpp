// The seeded permutation tables of the noise objects.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>

#include "noise/mersenne_twister.h"
#include "noise/perlin_noise.h"

namespace rm {
namespace {

TEST(PermutationTableTest, SeedZeroGivesTheSceneTable) {
    const PerlinNoise table = makePerlinNoise(0);
    const int32_t first[16] = {172, 151, 217, 155, 123, 167, 180, 41,
                               188, 229, 43,  81,  0,   251, 152, 246};
    const int32_t last[16] = {48, 143, 107, 10,  46, 109, 228, 182,
                              7,  105, 157, 210, 69, 135, 236, 94};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(table.perm[i], first[i]) << "entry " << i;
        EXPECT_EQ(table.perm[240 + i], last[i]) << "entry " << 240 + i;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(table.perm[256 + i], first[i]) << "entry " << 256 + i;
}

TEST(PermutationTableTest, HoldsEveryNumberOnceFollowedByACopy) {
    for (const uint32_t seed : {0u, 1u, 42u, 0x1EADBEEFu, 0xFFFFFFFFu}) {
        const PerlinNoise table = makePerlinNoise(seed);
        int seen[256] = {};
        for (int i = 0; i < 256; ++i) {
            ASSERT_GE(table.perm[i], 0);
            ASSERT_LT(table.perm[i], 256);
            ++seen[table.perm[i]];
            EXPECT_EQ(table.perm[256 + i], table.perm[i]) << "seed " << seed << ", entry " << i;
        }
        for (int v = 0; v < 256; ++v)
            EXPECT_EQ(seen[v], 1) << "seed " << seed << ", value " << v;
    }
}

TEST(PermutationTableTest, SeedZeroStandsForTheDefaultSeed) {
    const PerlinNoise zero = makePerlinNoise(0);
    const PerlinNoise byDefault = makePerlinNoise(0x1EADBEEF);
    const PerlinNoise other = makePerlinNoise(1);
    EXPECT_EQ(std::memcmp(zero.perm, byDefault.perm, sizeof zero.perm), 0);
    EXPECT_NE(std::memcmp(zero.perm, other.perm, sizeof zero.perm), 0);
}

TEST(PermutationTableTest, OctaveNoiseHasTheSameTableAndItsCount) {
    const OctaveNoise octaves = makeOctaveNoise(8, 0);
    const PerlinNoise table = makePerlinNoise(0);
    EXPECT_EQ(std::memcmp(octaves.base.perm, table.perm, sizeof table.perm), 0);
    EXPECT_EQ(octaves.octaves, 8);
    // The count follows the 512 entries as the 513th word.
    static_assert(offsetof(OctaveNoise, octaves) == 512 * sizeof(int32_t));
    EXPECT_EQ(makeOctaveNoise(3, 7).octaves, 3);
    EXPECT_EQ(
        std::memcmp(makeOctaveNoise(3, 7).base.perm, makePerlinNoise(7).perm, sizeof table.perm),
        0);
}

TEST(PermutationTableTest, DefaultSeedShuffleTakes128Outputs) {
    // One single swap and 127 paired draws, none rejected.
    int32_t entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = i;
    MersenneTwister engine = seedMersenneTwister(0x1EADBEEF);
    shuffle(entries, 256, engine);
    std::mt19937 standard(0x1EADBEEF);
    standard.discard(128);
    EXPECT_EQ(next(engine), static_cast<uint32_t>(standard()));
    EXPECT_EQ(std::memcmp(entries, makePerlinNoise(0).perm, sizeof entries), 0);
}

}  // namespace
}  // namespace rm
