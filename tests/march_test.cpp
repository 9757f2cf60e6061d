// The sphere tracer, on scripted distance fields that record every point they are asked for.
#include "reference/march.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "math/float_bits.h"

namespace rm {
namespace {

using reference::march;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Pass i returns entry i of each list (the last entry repeats) and records the point and the
// order of the calls.
struct ScriptedFields {
    ScriptedFields(std::vector<float> sculptures, std::vector<float> grounds)
        : sculptureValues(std::move(sculptures)), groundValues(std::move(grounds)) {}

    std::vector<float> sculptureValues;
    std::vector<float> groundValues;
    mutable std::vector<Vec3> points;
    mutable std::string calls;

    float sculpture(Vec3 p) const {
        points.push_back(p);
        calls += 'S';
        return valueAt(sculptureValues, points.size() - 1);
    }
    float ground(Vec3 p) const {
        calls += 'G';
        const Vec3& last = points.back();
        EXPECT_TRUE(p.x == last.x && p.y == last.y && p.z == last.z) << "ground at another point";
        return valueAt(groundValues, points.size() - 1);
    }
    static float valueAt(const std::vector<float>& values, size_t pass) {
        return values[pass < values.size() ? pass : values.size() - 1];
    }
};

// The travelled distance after a step of half the chosen distance, in 64 bits rounded once.
float stepped(float t, float chosen) { return static_cast<float>(double{chosen} * 0.5 + t); }

constexpr Vec3 kOrigin = {1.0f, 2.0f, 3.0f};
constexpr Vec3 kDown = {0.0f, -1.0f, 0.0f};

void expectHit(const MarchHit& hit, Material material, float distance) {
    EXPECT_EQ(hit.material, material);
    EXPECT_EQ(floatBits(hit.distance), floatBits(distance));
}

TEST(MarchTest, OriginInsideOrNearASurfaceIsAHitAtDistanceZero) {
    const struct {
        float sculpture;
        float ground;
        Material material;
    } cases[] = {
        {-0.5f, 10.0f, Material::Sculpture},      // inside the sculpture
        {-0.5f, 0.0005f, Material::Sculpture},    // a positive ground is never below a negative
        {0.0009f, 5.0f, Material::Sculpture},     // within 0.001 of the sculpture
        {5.0f, 0.0009f, Material::Ground},        // within 0.001 of the ground
        {4000.0f, 0.0009f, Material::Ground},     // a sculpture at the far limit does not count
        {0.0005f, 0.0005f, Material::Sculpture},  // a tie goes to the sculpture
        {kNaN, 0.0005f, Material::Ground},
        {0.0005f, kNaN, Material::Sculpture},
        {std::nextafter(0.001f, 0.0f), 7.0f, Material::Sculpture},
    };
    for (const auto& c : cases) {
        const ScriptedFields fields{{c.sculpture}, {c.ground}};
        SCOPED_TRACE(testing::Message() << "sculpture " << c.sculpture << ", ground " << c.ground);
        expectHit(march(fields, kOrigin, kDown), c.material, 0.0f);
        ASSERT_EQ(fields.calls, "SG");
        EXPECT_EQ(floatBits(fields.points[0].y), floatBits(kOrigin.y));
    }
}

TEST(MarchTest, ChosenDistanceOfExactlyTheThresholdStepsOn) {
    const float half = stepped(0.0f, 0.001f);
    const ScriptedFields onSculpture{{0.001f, 0.0f}, {50.0f}};
    expectHit(march(onSculpture, kOrigin, kDown), Material::Sculpture, half);
    EXPECT_EQ(onSculpture.calls, "SGSG");
    EXPECT_EQ(floatBits(onSculpture.points[1].y), floatBits(kDown.y * half + kOrigin.y));

    const ScriptedFields onGround{{100.0f}, {0.001f, 0.0002f}};
    expectHit(march(onGround, kOrigin, kDown), Material::Ground, half);
}

TEST(MarchTest, IgnoresAGroundAtOrBelowZero) {
    for (const float ground : {0.0f, -0.0f, -3.0f, -1e30f, kNaN}) {
        SCOPED_TRACE(testing::Message() << "ground " << ground);
        // Nothing counts: two steps of half the far limit end the march.
        const ScriptedFields empty{{4000.0f}, {ground}};
        expectHit(march(empty, kOrigin, kDown), Material::None, 4000.0f);
        ASSERT_EQ(empty.points.size(), 2u);
        EXPECT_EQ(floatBits(empty.points[1].y), floatBits(2.0f - 2000.0f));

        // The sculpture alone decides the step.
        const ScriptedFields sculpture{{6.0f, 0.0f}, {ground}};
        expectHit(march(sculpture, kOrigin, kDown), Material::Sculpture, 3.0f);
    }
}

TEST(MarchTest, TakesTheNearerSurfaceAndAdvancesByHalfOfIt) {
    // Pass by pass: the ground is nearer, the sculpture is nearer, a tie, then a hit.
    const ScriptedFields fields{{8.0f, 2.0f, 4.0f, 0.0f}, {4.0f, 3.0f, 4.0f, 0.0f}};
    const Vec3 direction = {0.0f, 0.0f, 2.0f};  // not normalised: distances count its length
    expectHit(march(fields, kOrigin, direction), Material::Sculpture, 2.0f + 1.0f + 2.0f);
    EXPECT_EQ(fields.calls, "SGSGSGSG");
    const float expectedZ[] = {3.0f, 7.0f, 9.0f, 13.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(floatBits(fields.points[i].z), floatBits(expectedZ[i])) << "pass " << i;
        EXPECT_EQ(floatBits(fields.points[i].x), floatBits(kOrigin.x)) << "pass " << i;
    }
}

TEST(MarchTest, FormsEachPointFromARoundedProductAndASum) {
    // t = 0.3 after the first step; fusing d.x * t + o.x into one rounding would give another x.
    const float ox = -0x1.2f1aa2p-5f;
    const float expected = 0.1f * 0.3f + ox;
    ASSERT_NE(floatBits(expected), floatBits(std::fma(0.1f, 0.3f, ox)));
    const ScriptedFields fields{{0.6f, 0.0f}, {kNaN}};
    march(fields, {ox, 0.0f, 0.0f}, {0.1f, 0.0f, 0.0f});
    ASSERT_EQ(fields.points.size(), 2u);
    EXPECT_EQ(floatBits(fields.points[1].x), floatBits(expected));
}

TEST(MarchTest, AStepReachingTheFarLimitIsAMiss) {
    // 0 -> 1500 -> 3500 (a sculpture at exactly 4000 does not count) -> 4000.
    const ScriptedFields exact{{3000.0f, 4000.0f, 1000.0f, 0.0f}, {kNaN}};
    expectHit(march(exact, kOrigin, kDown), Material::None, 4000.0f);
    EXPECT_EQ(exact.points.size(), 3u);

    // 3500 + 499.99995 rounds to 4000 in 32 bits.
    const ScriptedFields rounded{{3000.0f, 4000.0f, 999.9999f, 0.0f}, {kNaN}};
    expectHit(march(rounded, kOrigin, kDown), Material::None, 4000.0f);
    EXPECT_EQ(rounded.points.size(), 3u);

    // 3500 + 499.9995 stays below: the hit lies above the sky threshold yet below 4000.
    const ScriptedFields below{{3000.0f, 4000.0f, 999.999f, 0.0f}, {kNaN}};
    expectHit(march(below, kOrigin, kDown), Material::Sculpture, 3999.99951171875f);
}

TEST(MarchTest, StopsAfter4096Passes) {
    // Steps of 0.001 never reach a surface or the far limit.
    const ScriptedFields endless{{0.002f}, {-1.0f}};
    expectHit(march(endless, kOrigin, kDown), Material::None, 4000.0f);
    EXPECT_EQ(endless.calls.size(), 2u * 4096u);

    std::vector<float> lastPass(4096, 0.002f);
    lastPass.back() = 0.0f;
    const ScriptedFields hitInLastPass{lastPass, {kNaN}};
    const MarchHit hit = march(hitInLastPass, kOrigin, kDown);
    EXPECT_EQ(hit.material, Material::Sculpture);
    EXPECT_NEAR(hit.distance, 4.095, 1e-3);

    lastPass.push_back(0.0f);
    lastPass[4095] = 0.002f;
    const ScriptedFields hitOnePassLate{lastPass, {kNaN}};
    expectHit(march(hitOnePassLate, kOrigin, kDown), Material::None, 4000.0f);
    EXPECT_EQ(hitOnePassLate.points.size(), 4096u);
}

TEST(MarchTest, NaNFieldsCountAsNothing) {
    const ScriptedFields fields{{kNaN}, {kNaN}};
    expectHit(march(fields, kOrigin, kDown), Material::None, 4000.0f);
    EXPECT_EQ(fields.calls, "SGSG");
}

}  // namespace
}  // namespace rm
