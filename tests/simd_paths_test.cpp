// Every instruction-set path the processor supports against the plain scalar evaluation: the
// fields, the octave noise, the lane march and whole rows of the image, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "common/exact_rows.h"
#include "math/float_bits.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "reference/noise.h"
#include "reference/sky.h"
#include "render/camera.h"
#include "render/kernel_lanes.h"
#include "render/kernel_table.h"
#include "render/march_lanes.h"
#include "render/render_row.h"
#include "render/sky.h"
#include "scene/scene_noise.h"
#include "scene/sculpture_bound.h"
#include "scene/sculpture_distance.h"
#include "simd/simd_level.h"
#include "support/row_workspace.h"

namespace {

using rm::SimdLevel;
using rm::Vec3;

// The fields evaluated one capsule and one noise table read at a time, whatever the level.
using PlainFields = rm::reference::SceneFields;

float groundAt(const rm::KernelTable& kernels, Vec3 p) {
    float g = 0.0f;
    kernels.groundDistanceMany(rm::kScenePlaneHashes, &p, 1, &g);
    return g;
}

float sculptureAt(Vec3 p) { return rm::sculptureDistance(p); }

// Points near the sculpture, around the terrain and far out, where the rays go.
std::vector<Vec3> samplePoints(int count) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> near(-20.0f, 20.0f);
    std::uniform_real_distribution<float> wide(-4000.0f, 4000.0f);
    std::uniform_real_distribution<float> low(-40.0f, 30.0f);
    std::vector<Vec3> points;
    for (int i = 0; i < count; ++i) {
        switch (i % 3) {
            case 0:
                points.push_back({near(random), near(random), near(random)});
                break;
            case 1:
                points.push_back({wide(random), low(random), wide(random)});
                break;
            default:
                points.push_back({wide(random), wide(random), wide(random)});
                break;
        }
    }
    return points;
}

class SimdPathTest : public testing::TestWithParam<SimdLevel> {
protected:
    void SetUp() override {
        if (!rm::simdLevelRuns(GetParam())) GTEST_SKIP() << "the processor lacks this path";
        // The kernels are those of the level chosen, not a plain table standing in for them.
        ASSERT_EQ(kernels.level, GetParam());
    }
    const rm::KernelTable& kernels = rm::chooseKernels(GetParam());
};

TEST_P(SimdPathTest, FieldsMatchThePlainEvaluation) {
    const PlainFields plain;
    for (const Vec3& p : samplePoints(30000)) {
        ASSERT_EQ(rm::floatBits(sculptureAt(p)), rm::floatBits(plain.sculpture(p)))
            << p.x << " " << p.y << " " << p.z;
        ASSERT_EQ(rm::floatBits(groundAt(kernels, p)), rm::floatBits(plain.ground(p)))
            << p.x << " " << p.y << " " << p.z;
    }
    // Many points at once, in counts that fill lanes partly.
    const std::vector<Vec3> points = samplePoints(1000);
    for (int count : {1, 5, 6, 8, 13}) {
        std::vector<float> many(count);
        kernels.groundDistanceMany(rm::kScenePlaneHashes, points.data() + count, count,
                                   many.data());
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(rm::floatBits(many[i]), rm::floatBits(plain.ground(points[count + i])));
        }
    }
    // Points whose noise samples fall on lattice lines, where gradient terms are zeros.
    for (const Vec3& p : {Vec3{0, 0, 0}, Vec3{0, -15, 0}, Vec3{0, 3, 15}, Vec3{5, 1, 15},
                          Vec3{0, 2, 20}, Vec3{-5, -2, 10}, Vec3{-0.0f, 0, 15}}) {
        EXPECT_EQ(rm::floatBits(groundAt(kernels, p)), rm::floatBits(plain.ground(p)))
            << p.x << " " << p.y << " " << p.z;
    }
    // Samples beyond the 32-bit cells: the finest at 2^31 and past it, all three, and the
    // largest floats, whose cells are those of an out-of-range conversion.
    for (const Vec3& p : {Vec3{1.0737418e10f, 0, 15}, Vec3{-1.0737418e10f, 0, 15},
                          Vec3{0, 1, 1.2e10f}, Vec3{2e12f, -3, -2e12f}, Vec3{3e38f, 0, -3e38f}}) {
        EXPECT_EQ(rm::floatBits(groundAt(kernels, p)), rm::floatBits(plain.ground(p)))
            << p.x << " " << p.y << " " << p.z;
    }
    // A non-finite point keeps the scalar order of NaN replacements.
    const float inf = INFINITY;
    for (const Vec3& p : {Vec3{NAN, 0, 0}, Vec3{0, inf, 0}, Vec3{-inf, 1, 2}, Vec3{1e30f, 0, 0}}) {
        EXPECT_EQ(rm::floatBits(sculptureAt(p)), rm::floatBits(plain.sculpture(p)));
    }
}

TEST_P(SimdPathTest, OctaveNoiseMatchesTheSumOfOctaves) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    for (int i = 0; i < 20000; ++i) {
        const double x = coordinate(random);
        const double y = coordinate(random);
        // Equal up to the sign of a zero sum, which no caller can tell apart.
        ASSERT_EQ(
            kernels.octaveNoisePlane(rm::kScenePlaneHashes, rm::kSkyNoise.octaves, x, y) + 0.0,
            rm::reference::octaveNoise(rm::kSkyNoise, x, y, 0.0) + 0.0);
    }
    for (int octaves : {0, 1, 3, 8, 9, 17}) {
        EXPECT_EQ(
            rm::doubleBits(kernels.octaveNoisePlane(rm::kScenePlaneHashes, octaves, 3.7, -1.2)),
            rm::doubleBits(
                rm::reference::octaveNoise({rm::kSkyNoise.base, octaves}, 3.7, -1.2, 0.0)))
            << octaves << " octaves";
    }
}

TEST_P(SimdPathTest, SkyMatchesThePlainSky) {
    std::mt19937 random(13);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    for (int i = 0; i < 5000; ++i) {
        const Vec3 o = {component(random) * 50, component(random) * 50, component(random) * 50};
        Vec3 d = {component(random), std::fabs(component(random)), component(random)};
        const float k = 1.0f / std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        d = {d.x * k, d.y * k, d.z * k};
        const Vec3 fast = rm::skyColor(kernels, o, d);
        const Vec3 plain = rm::reference::skyColor(rm::kSkyNoise, o, d);
        ASSERT_EQ(rm::floatBits(fast.x), rm::floatBits(plain.x));
    }
}

// A single ray's sculpture against a limit: exact wherever it is at most the limit, and above the
// limit or the far limit elsewhere, in and beyond the grid of candidate capsules and on the faces
// of its cells.
TEST(SingleLaneSculpture, IsExactUpToItsLimit) {
    std::mt19937 random(31);
    const float span = static_cast<float>(rm::kCellsPerAxis) * rm::kCellSize;
    std::uniform_real_distribution<float> across(-8.0f, span + 8.0f);
    std::uniform_real_distribution<float> limits(-1.0f, 40.0f);
    int exact = 0;
    for (int i = 0; i < 60000; ++i) {
        Vec3 q = {rm::kCellsLow[0] + across(random), rm::kCellsLow[1] + across(random),
                  rm::kCellsLow[2] + across(random)};
        if (i % 5 == 0) q.y = rm::kCellsLow[1] + std::floor(q.y - rm::kCellsLow[1]);  // a face
        const float full = rm::sculptureDistanceInTableOrder(q);
        for (const float limit : {limits(random), full, rm::kFarLimit}) {
            const float s = rm::sculptureNearestLanes<rm::LaneOpsScalar>({q.x, q.y, q.z}, limit);
            if (full <= limit) {
                ++exact;
                ASSERT_EQ(rm::floatBits(s), rm::floatBits(full))
                    << q.x << ", " << q.y << ", " << q.z;
            } else {
                ASSERT_TRUE(s > limit || s == rm::kFarLimit) << q.x << ", " << q.y << ", " << q.z;
                ASSERT_LE(s, rm::kFarLimit);
            }
        }
    }
    EXPECT_GT(exact, 60000);
}

// The bound a single lane keeps of its distance from the sculpture's world centre never exceeds
// that distance, for rays of unit length from anywhere within the bounds the slack allows for,
// aimed at the centre (where the distance falls fastest) or anywhere, over the whole march.
TEST(SingleLaneMarch, ItsClearBoundNeverExceedsTheDistance) {
    std::mt19937 random(37);
    std::uniform_real_distribution<float> coordinate(-rm::kClearOrigin, rm::kClearOrigin);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    std::uniform_real_distribution<float> time(0.0f, rm::kFarLimit);
    const rm::WorldBoundConstants& c = rm::kWorldBoundConstants;
    for (int i = 0; i < 200000; ++i) {
        const float scale = i % 3 == 0 ? 1.0f : i % 3 == 1 ? 0.01f : 0.001f;
        const Vec3 o = {coordinate(random) * scale, coordinate(random) * scale,
                        coordinate(random) * scale};
        Vec3 d = i % 2 == 0 ? Vec3{c.centre[0] - o.x, c.centre[1] - o.y, c.centre[2] - o.z}
                            : Vec3{unit(random), unit(random), unit(random)};
        const float k = 1.0f / std::sqrt((d.x * d.x + d.y * d.y) + d.z * d.z);
        d = {d.x * k, d.y * k, d.z * k};
        if (!((d.x * d.x + d.y * d.y) + d.z * d.z <= rm::kClearDirection)) continue;
        float t0 = time(random);
        float t = time(random);
        if (t < t0) std::swap(t, t0);
        auto at = [&](float u) { return Vec3{d.x * u + o.x, d.y * u + o.y, d.z * u + o.z}; };
        const Vec3 p0 = at(t0);
        float nearest = 0.0f;
        if (!rm::worldPointBeyond(p0.x, p0.y, p0.z, 0.0f, nearest, c)) continue;
        const float clear = (nearest + t0) - rm::kClearSlack;
        const Vec3 p = at(t);
        const double dx = double{p.x} - c.centre[0];
        const double dy = double{p.y} - c.centre[1];
        const double dz = double{p.z} - c.centre[2];
        ASSERT_LE(clear - t, std::sqrt(dx * dx + dy * dy + dz * dz))
            << o.x << ", " << o.y << ", " << o.z << " towards " << d.x << ", " << d.y << ", " << d.z
            << " from " << t0 << " to " << t;
    }
}

// Rays from the eye, from points around the scene and from inside the sculpture, with directions
// of other lengths and from far out, in numbers that leave lanes idle at the end.
std::vector<rm::Ray> marchTestRays() {
    std::mt19937 random(17);
    std::uniform_real_distribution<float> component(-1.0f, 1.0f);
    std::vector<rm::Ray> rays;
    const std::vector<Vec3> origins = samplePoints(60);
    for (int i = 0; i < 1237; ++i) {
        Vec3 d = {component(random), component(random) * 0.5f, component(random)};
        const float k = 1.0f / std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        d = {d.x * k, d.y * k, d.z * k};
        const Vec3 o = i % 4 == 0 ? Vec3{0.0f, 5.0f, 150.0f} : origins[i % origins.size()];
        rays.push_back({o, d});
    }
    rays.push_back({{0.0f, 5.0f, 0.0f}, {1.0f, 0.0f, 0.0f}});  // inside capsule 0
    // Directions of other lengths, and origins far out, past the sculpture and into the ground.
    for (const float length : {0.25f, 3.0f, 40.0f}) {
        rays.push_back({{0.0f, 5.0f, 150.0f}, {0.0f, -0.04f * length, -length}});
        rays.push_back({{30.0f, 20.0f, 60.0f}, {-0.4f * length, -0.25f * length, -0.8f * length}});
    }
    rays.push_back({{0.0f, 5.0f, 20000.0f}, {0.0f, -0.001f, -1.0f}});
    rays.push_back({{-3e5f, 400.0f, 1e5f}, {0.9f, -0.1f, -0.3f}});
    return rays;
}

void expectPlainMarches(const std::vector<rm::Ray>& rays, const std::vector<rm::MarchHit>& hits) {
    for (std::size_t i = 0; i < rays.size(); ++i) {
        const rm::MarchHit expected =
            rm::reference::march(PlainFields{}, rays[i].origin, rays[i].direction);
        ASSERT_EQ(hits[i].material, expected.material) << "ray " << i;
        ASSERT_EQ(rm::floatBits(hits[i].distance), rm::floatBits(expected.distance)) << "ray " << i;
    }
}

TEST_P(SimdPathTest, LaneMarchMatchesTheScalarMarch) {
    const std::vector<rm::Ray> rays = marchTestRays();
    std::vector<rm::MarchHit> hits(rays.size());
    kernels.marchRays(rm::kScenePlaneHashes, rays.data(), static_cast<int>(rays.size()),
                      hits.data());
    expectPlainMarches(rays, hits);
}

// The single lanes with their constants the other way round from this build's: seen by the
// compiler where this processor reads them from a record, and read where it sees them.
struct LaneOpsScalarOtherConstants : rm::LaneOpsScalar {
    static constexpr bool kConstantsInCode = !rm::LaneOpsScalar::kConstantsInCode;
};

// And with its gradients the other way round (see OtherGradientLaneOps in the noise tests).
struct LaneOpsScalarOtherGradients : rm::LaneOpsScalar {
    static constexpr rm::GradientForm kGradients =
        rm::LaneOpsScalar::kGradients == rm::GradientForm::PairCases ? rm::GradientForm::PairFactors
                                                                     : rm::GradientForm::PairCases;
};

// A set of single lanes marching kGroups rays at once, remembering kRemembered ground cells, and
// leaving out the finest ground sample where it can or not.
template <class Base, int kGroupCount, int kRemembered, bool kSkipFine>
struct SingleLaneMarchOf : Base {
    static constexpr int kGroups = kGroupCount;
    static constexpr int kRememberedGroundCells = kRemembered;
    static constexpr bool kSkipsFineGround = kSkipFine;
};

template <class Base, int kGroups, int kRemembered, bool kSkipFine>
void expectSingleLaneMarch(const std::vector<rm::Ray>& rays) {
    using V = SingleLaneMarchOf<Base, kGroups, kRemembered, kSkipFine>;
    std::vector<rm::MarchHit> hits(rays.size());
    rm::marchRaysLanes<V, typename rm::LaneKernels<V>::NearestCapsules>(
        rm::kScenePlaneHashes, rays.data(), static_cast<int>(rays.size()), hits.data());
    expectPlainMarches(rays, hits);
}

// Every way a single lane can march, this processor's and the others: constants seen or read,
// gradients written out for each pair of codes or read as factors, the finest ground sample always
// taken or left out where the sculpture is nearer, 2 or 3 ground cells remembered, 1 or 4 rays at
// once.
TEST(SingleLaneMarch, EveryWayIsThePlainOne) {
    const std::vector<rm::Ray> rays = marchTestRays();
    using Seen = rm::LaneOpsScalar;
    using Other = LaneOpsScalarOtherConstants;
    expectSingleLaneMarch<Seen, 1, 3, true>(rays);
    expectSingleLaneMarch<Seen, 1, 2, false>(rays);
    expectSingleLaneMarch<Seen, 4, 2, true>(rays);
    expectSingleLaneMarch<Seen, 4, 3, false>(rays);
    expectSingleLaneMarch<Other, 1, 3, true>(rays);
    expectSingleLaneMarch<Other, 4, 2, false>(rays);
    expectSingleLaneMarch<LaneOpsScalarOtherGradients, 1, 3, true>(rays);
    expectSingleLaneMarch<LaneOpsScalarOtherGradients, 4, 2, false>(rays);
}

TEST_P(SimdPathTest, RowsMatchTheExactImage) {
    // Sky, ground, sculpture, the reflections of the sculpture in the ground and the top row.
    static uint8_t row[rm::kRowBytes];
    for (int y : {0, 211, 420, 512, 575, 700, 1023}) {
        rm::renderRow(kernels, y, row, rmtest::rowWorkspace());
        EXPECT_TRUE(rm::tools::rowIsExact(y, row)) << "row " << y;
    }
}

// A level's own kernels are given only where this build has its table and the processor its
// instructions: for every other registered level the plain kernels stand in.
TEST(SimdLevelChoice, GivesOnlyTheBuiltLevelsThisProcessorRuns) {
    for (int i = 0; i < rm::kSimdLevelCount; ++i) {
        const auto level = static_cast<SimdLevel>(i);
        bool built = false;
        for (SimdLevel b : rm::kBuiltSimdLevels)
            built = built || b == level;
        const rm::KernelTable& kernels = rm::chooseKernels(level);
        const bool given = kernels.level == level;
        EXPECT_TRUE(!given || built) << rm::simdLevelName(level);
        EXPECT_TRUE(given || &kernels == &rm::kPlainKernels) << rm::simdLevelName(level);
    }
    EXPECT_EQ(rm::kPlainKernels.level, SimdLevel::Scalar);
    EXPECT_EQ(rm::chooseKernels(rm::bestSimdLevel()).level, rm::bestSimdLevel());
}

// Every level's name leads back to it, and no prefix or extension of a name is taken for it.
TEST(SimdLevelChoice, NamesLeadBackToTheirLevels) {
    for (int i = 0; i < rm::kSimdLevelCount; ++i) {
        const auto level = static_cast<SimdLevel>(i);
        const std::string name = rm::simdLevelName(level);
        SimdLevel named = SimdLevel::Scalar;
        EXPECT_TRUE(rm::simdLevelFromName(name.c_str(), named));
        EXPECT_EQ(named, level) << name;
        EXPECT_FALSE(rm::simdLevelFromName(name.substr(0, name.size() - 1).c_str(), named));
        EXPECT_FALSE(rm::simdLevelFromName((name + "x").c_str(), named));
        EXPECT_EQ(named, level) << name;
    }
}

std::string levelName(const testing::TestParamInfo<SimdLevel>& level) {
    return rm::simdLevelName(level.param);
}

// Every level this build has; a level the processor lacks skips.
INSTANTIATE_TEST_SUITE_P(Levels, SimdPathTest, testing::ValuesIn(rm::kBuiltSimdLevels), levelName);

}  // namespace
