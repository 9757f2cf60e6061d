// The ground's height field: three noise samples in a turned and shifted plane.
#include "scene/ground.h"

#include <gtest/gtest.h>

#include <random>

#include "math/float_bits.h"
#include "noise/perlin_noise.h"
#include "reference/fields.h"
#include "scene/scene_noise.h"

namespace rm {
namespace {

using reference::groundDistance;

TEST(GroundDistanceTest, LiesAbout11Point3BelowTheOrigin) {
    const PerlinNoise table = makePerlinNoise(0);
    EXPECT_NEAR(groundDistance(table, {0, 0, 0}), 11.3, 0.05);
    EXPECT_NEAR(groundDistance(table, {0, -15, 0}), -3.69, 0.005);
    EXPECT_NEAR(groundDistance(table, {0, -1000, 0}), -988.69, 0.005);
}

TEST(GroundDistanceTest, IsHeightPlus15WhereThePlaneIsAtItsOrigin) {
    // Above (0, 15) the turned plane's coordinates are both zero, a lattice point of every octave,
    // where gradient noise is zero: what is left is the height, plus 14, plus 1, each sum rounded.
    const PerlinNoise table = makePerlinNoise(0);
    for (const float y : {0.0f, -15.0f, 2.5f, -1000.0f, 1e-3f, 33554432.0f}) {
        const Vec3 p = {0, y, 15};
        const uint32_t expected = floatBits((y + 14.0f) + 1.0f);
        EXPECT_EQ(floatBits(groundDistance(table, p)), expected) << y;
        float g = 0.0f;
        groundDistanceMany(kScenePlaneHashes, &p, 1, &g);
        EXPECT_EQ(floatBits(g), expected) << y;
    }
}

TEST(GroundDistanceTest, RenderersFieldIsThePlainOne) {
    // The renderer's field on the scene's ground hashes, a point at a time, against the plain
    // evaluation on a table of its own.
    const PerlinNoise table = makePerlinNoise(0);
    std::mt19937 engine(3);
    std::uniform_real_distribution<float> horizontal(-3000.0f, 3000.0f);
    std::uniform_real_distribution<float> height(-60.0f, 60.0f);
    for (int i = 0; i < 20000; ++i) {
        const float scale = i % 2 ? 1.0f : 0.01f;  // half of the points near the origin
        const Vec3 p = {horizontal(engine) * scale, height(engine), horizontal(engine) * scale};
        float g = 0.0f;
        groundDistanceMany(kScenePlaneHashes, &p, 1, &g);
        ASSERT_EQ(floatBits(g), floatBits(groundDistance(table, p)))
            << p.x << ", " << p.y << ", " << p.z;
    }
}

TEST(GroundDistanceTest, DependsOnHeightOnlyThroughHeightPlus14) {
    const PerlinNoise table = makePerlinNoise(0);
    const Vec3 points[] = {{0, 0, 0}, {123.5f, 0, -77.25f}, {-1500, 0, 2500}};
    for (const Vec3 p : points) {
        // 14 + 4e-7 rounds to 14 in 32 bits.
        EXPECT_EQ(floatBits(groundDistance(table, {p.x, 4e-7f, p.z})),
                  floatBits(groundDistance(table, p)));
        const float base = groundDistance(table, p);
        for (const float y : {-20.0f, -3.5f, 7.25f, 30.0f}) {
            EXPECT_NEAR(groundDistance(table, {p.x, y, p.z}) - base, y, 1e-5);
        }
    }
}

}  // namespace
}  // namespace rm
