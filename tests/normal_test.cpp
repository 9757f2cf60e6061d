// Surface normals from central differences of the field that was hit.
#include "reference/normal.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "math/float_bits.h"
#include "reference/fields.h"
#include "render/kernel_table.h"
#include "render/normal.h"
#include "scene/scene_noise.h"
#include "simd/simd_level.h"

namespace rm {
namespace {

using reference::estimateNormal;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr Vec3 kPoint = {1.0f, 2.0f, 3.0f};

// Which sample around kPoint q is: 0 and 1 along +x and -x, 2 and 3 along y, 4 and 5 along z.
int sampleIndex(Vec3 q) {
    if (q.x != kPoint.x) return q.x > kPoint.x ? 0 : 1;
    if (q.y != kPoint.y) return q.y > kPoint.y ? 2 : 3;
    return q.z > kPoint.z ? 4 : 5;
}

// Fields with one value per sample, recording every call.
struct SampleFields {
    SampleFields(std::array<float, 6> sculptures, std::array<float, 6> grounds)
        : sculptureValues(sculptures), groundValues(grounds) {}

    std::array<float, 6> sculptureValues;
    std::array<float, 6> groundValues;
    mutable std::string calls;
    mutable std::vector<Vec3> points;

    float sculpture(Vec3 q) const {
        calls += 'S';
        points.push_back(q);
        return sculptureValues[sampleIndex(q)];
    }
    float ground(Vec3 q) const {
        calls += 'G';
        points.push_back(q);
        return groundValues[sampleIndex(q)];
    }
};

void expectSameBits(Vec3 actual, Vec3 expected) {
    EXPECT_EQ(floatBits(actual.x), floatBits(expected.x));
    EXPECT_EQ(floatBits(actual.y), floatBits(expected.y));
    EXPECT_EQ(floatBits(actual.z), floatBits(expected.z));
}

TEST(EstimateNormalTest, SamplesBothFieldsOneStepAlongEachAxis) {
    const SampleFields fields{{1, 1, 1, 1, 1, 1}, {2, 2, 2, 2, 2, 2}};
    estimateNormal(fields, kPoint, false, false);
    EXPECT_EQ(fields.calls, "SGSGSGSGSGSG");
    const float h = 0.0005f;
    const Vec3 expected[6] = {
        {kPoint.x + h, kPoint.y, kPoint.z}, {kPoint.x - h, kPoint.y, kPoint.z},
        {kPoint.x, kPoint.y + h, kPoint.z}, {kPoint.x, kPoint.y - h, kPoint.z},
        {kPoint.x, kPoint.y, kPoint.z + h}, {kPoint.x, kPoint.y, kPoint.z - h}};
    ASSERT_EQ(fields.points.size(), 12u);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        expectSameBits(fields.points[2 * i], expected[i]);
        expectSameBits(fields.points[2 * i + 1], expected[i]);
    }
}

TEST(EstimateNormalTest, CountsASculptureBeyondTheFarLimitOrNaNAsTheFarLimit) {
    // dx = 4000 - 2976 = 1024 when the +x sample counts as 4000; the other differences are 0.
    for (const float far : {5000.0f, std::numeric_limits<float>::infinity(), kNaN}) {
        const SampleFields fields{{far, 2976, 7, 7, 7, 7}, {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}};
        expectSameBits(estimateNormal(fields, kPoint, true, false), {1, 0, 0});
        EXPECT_EQ(fields.calls, "SSSSSS");
    }
}

TEST(EstimateNormalTest, IgnoresAGroundAtOrBelowZero) {
    for (const float ignored : {0.0f, -0.0f, -1.0f, kNaN}) {
        const SampleFields fields{{0, 0, 0, 0, 0, 0}, {ignored, 2976, 5, 5, 5, 5}};
        expectSameBits(estimateNormal(fields, kPoint, false, true), {1, 0, 0});
        EXPECT_EQ(fields.calls, "GGGGGG");
    }
}

TEST(EstimateNormalTest, TakesTheNearerOfBothFieldsWhenNeitherIsSkipped) {
    // Per sample: a larger ground, an ignored one, a nearer one, a negative one, two ties; the
    // sampled field is 2048, 1024, 256, 512, 512, 512, so the differences are (1024, -256, 0).
    const SampleFields fields{{2048, 1024, 512, 512, 512, 512}, {4096, 0, 256, -5, 512, 512}};
    const Vec3 n = estimateNormal(fields, kPoint, false, false);
    const double length = std::sqrt(17.0);
    EXPECT_NEAR(n.x, 4 / length, 1e-7);
    EXPECT_NEAR(n.y, -1 / length, 1e-7);
    EXPECT_EQ(floatBits(n.z), floatBits(0.0f));
}

TEST(EstimateNormalTest, SkippingBothFieldsGivesNaNWithoutEvaluatingEither) {
    const SampleFields fields{{1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}};
    const Vec3 n = estimateNormal(fields, kPoint, true, true);
    EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
    EXPECT_EQ(fields.calls, "");
}

float length(Vec3 v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void expectNear(Vec3 actual, Vec3 expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(length(actual), 1.0f, 1e-6f);
}

// The normal of one surface of the scene, the same bits from the renderer's lanes as from the
// plain evaluation.
Vec3 sceneNormal(Vec3 p, Material material) {
    const Vec3 plain = estimateNormal(reference::SceneFields{}, p, material != Material::Ground,
                                      material != Material::Sculpture);
    expectSameBits(rm::estimateNormal(kPlainKernels, p, material), plain);
    return plain;
}

TEST(EstimateNormalTest, GivesTheSceneNormalsOfEachSurfaceAlone) {
    const Material sculpture = Material::Sculpture;
    expectNear(sceneNormal({0, 0, 0}, sculpture), {0.0f, -0.545f, 0.839f}, 5e-4f);
    expectNear(sceneNormal({3, 1, -2}, sculpture), {0.419f, -0.495f, 0.761f}, 5e-4f);
    // About 0.01 above the terrain.
    expectNear(sceneNormal({0, -11.3f, 0}, Material::Ground), {-0.220f, 0.950f, 0.223f}, 5e-4f);
}

TEST(EstimateNormalTest, GroundNormalTurnsOverWithinOneStepOfTheTerrain) {
    const PerlinNoise& ground = kGroundNoise;
    // The lowest height above the terrain on the line x = z = 0.
    float below = -12.0f;
    float above = -11.0f;
    while (std::nextafter(below, above) != above) {
        const float middle = below + (above - below) * 0.5f;
        (reference::groundDistance(ground, {0, middle, 0}) > 0.0f ? above : below) = middle;
    }
    // Above one step the normal is the terrain's own.
    expectNear(sceneNormal({0, above + 0.001f, 0}, Material::Ground), {-0.220f, 0.950f, 0.223f},
               5e-4f);
    // Between about 1.2e-4 and 5e-4 above, only the sample below the point falls under the
    // terrain and counts as 4000.
    expectNear(sceneNormal({0, above + 3e-4f, 0}, Material::Ground), {0, -1, 0}, 1e-6f);
    // Closer still, the uphill +x and -z samples fall under the terrain as well.
    const float third = 0.57735027f;
    expectNear(sceneNormal({0, above + 5e-5f, 0}, Material::Ground), {third, -third, -third},
               1e-6f);
}

}  // namespace
}  // namespace rm
