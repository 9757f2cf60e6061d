// The ground's height field: three noise samples in a turned and shifted plane.
#include "scene/ground.h"

#include <gtest/gtest.h>

#include <random>

#include "math/float_bits.h"
#include "noise/perlin_noise.h"
#include "reference/fields.h"
#include "reference/noise.h"
#include "scene/scene_noise.h"
#include "simd/simd_level.h"

namespace rm {
namespace {

using reference::groundDistance;
using reference::noise;

// The field as the scene defines it, on the three-dimensional noise with z = 0: 32-bit plane
// and scales, 64-bit weights, narrowed after every term.
float groundFromNoise(const PerlinNoise& table, Vec3 p) {
    const float cosine = -4.371139e-08f;  // the quarter turn's cosine; its sine is 1
    const float a = p.z - 15.0f;
    const float turnedX = a * cosine - p.x;
    const float turnedZ = p.x * cosine + a;
    const float scales[3] = {0.002f, 0.01f, 0.2f};
    const double weights[3] = {50.0, 15.0, double{0.05f}};
    float h = p.y + 14.0f;
    for (int k = 0; k < 3; ++k) {
        const double n = noise(table, turnedZ * scales[k], turnedX * scales[k], 0.0);
        h = static_cast<float>(double{h} + n * weights[k]);
    }
    return h + 1.0f;
}

TEST(GroundDistanceTest, LiesAbout11Point3BelowTheOrigin) {
    const PerlinNoise table = makePerlinNoise(0);
    EXPECT_NEAR(groundDistance(table, {0, 0, 0}), 11.3, 0.05);
    EXPECT_NEAR(groundDistance(table, {0, -15, 0}), -3.69, 0.005);
    EXPECT_NEAR(groundDistance(table, {0, -1000, 0}), -988.69, 0.005);
}

TEST(GroundDistanceTest, SumsThreeNoiseSamplesOfTheTurnedPlane) {
    rm::setSimdLevel(rm::SimdLevel::Scalar);
    const PerlinNoise table = makePerlinNoise(0);
    std::mt19937 engine(3);
    std::uniform_real_distribution<float> horizontal(-3000.0f, 3000.0f);
    std::uniform_real_distribution<float> height(-60.0f, 60.0f);
    for (int i = 0; i < 20000; ++i) {
        const float scale = i % 2 ? 1.0f : 0.01f;  // half of the points near the origin
        const Vec3 p = {horizontal(engine) * scale, height(engine), horizontal(engine) * scale};
        const uint32_t expected = floatBits(groundFromNoise(table, p));
        ASSERT_EQ(floatBits(groundDistance(table, p)), expected)
            << p.x << ", " << p.y << ", " << p.z;
        // The renderer's field on the published ground noise, a point at a time.
        float g = 0.0f;
        groundDistanceMany(kScenePlaneHashes, &p, 1, &g);
        ASSERT_EQ(floatBits(g), expected) << p.x << ", " << p.y << ", " << p.z;
    }
    EXPECT_EQ(floatBits(groundDistance(table, {0, 0, 0})),
              floatBits(groundFromNoise(table, {0, 0, 0})));
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
