// The sculpture's distance field: a closed tube of radius 1 around 18 axis-parallel segments.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "math/float_bits.h"
#include "scene/sculpture_distance.h"
#include "simd/lane_ops_scalar.h"

namespace rm {
namespace {

// Corners of the tube's closed path in the sculpture frame, in the order of the capsule table.
constexpr double kPathCorners[18][3] = {
    {-5, 5, 0},  {5, 5, 0}, {5, 5, -10}, {-3, 5, -10}, {-3, -5, -10}, {7, -5, -10},
    {7, 3, -10}, {7, 3, 0}, {7, -7, 0},  {7, -7, -8},  {-3, -7, -8},  {-3, -7, 2},
    {5, -7, 2},  {5, 3, 2}, {-5, 3, 2},  {-5, -5, 2},  {-5, -5, -8},  {-5, 5, -8},
};

// The field in exact arithmetic: the world point pitched by -33 degrees about x, turned by 45
// degrees about y, shifted by -5 along z, and measured to the nearest edge of the path.
double pathDistance(double x, double y, double z) {
    const double pi = 3.14159265358979323846;
    const double cp = std::cos(33 * pi / 180);
    const double sp = std::sin(33 * pi / 180);
    const double py = cp * y + sp * z;
    const double pz = -sp * y + cp * z;
    const double h = std::sqrt(0.5);
    const double q[3] = {h * x + h * pz, py, -h * x + h * pz - 5.0};
    double nearest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 18; ++i) {
        const double* a = kPathCorners[i];
        const double* b = kPathCorners[(i + 1) % 18];
        double ab2 = 0;
        double along = 0;
        for (int k = 0; k < 3; ++k) {
            ab2 += (b[k] - a[k]) * (b[k] - a[k]);
            along += (q[k] - a[k]) * (b[k] - a[k]);
        }
        const double f = std::clamp(along / ab2, 0.0, 1.0);
        double d2 = 0;
        for (int k = 0; k < 3; ++k) {
            const double e = q[k] - (a[k] + f * (b[k] - a[k]));
            d2 += e * e;
        }
        nearest = std::min(nearest, std::sqrt(d2));
    }
    return nearest - 1.0;
}

TEST(SculptureDistanceTest, IsTheTubeAroundTheClosedPath) {
    EXPECT_NEAR(sculptureDistance({0, 0, 0}), 4.83, 0.005);
    std::mt19937 engine(11);
    std::uniform_real_distribution<float> coordinate(-16.0f, 16.0f);
    for (int i = 0; i < 3000; ++i) {
        const Vec3 p = {coordinate(engine), coordinate(engine), coordinate(engine)};
        const float d = sculptureDistance(p);
        ASSERT_NEAR(d, pathDistance(p.x, p.y, p.z), 5e-5) << p.x << ", " << p.y << ", " << p.z;
        ASSERT_GE(d, -1.0f);
    }
}

TEST(SculptureDistanceTest, IsExactlyMinusOneOnlyOnTheAxisOfAnUnturnedCapsule) {
    // World points that the frame turns exactly onto the axes of capsules 3 (frame point
    // (-3, 0, -10)) and 12 ((5, -2, 2)), both along y.
    EXPECT_EQ(floatBits(sculptureDistance({0x1.6a09dep+0f, 0x1.8a5c1ap+1f, -0x1.2fa1aap+2f})),
              floatBits(-1.0f));
    EXPECT_EQ(floatBits(sculptureDistance({-0x1.6a09eap+0f, -0x1.931f24p+2f, 0x1.81bb72p+2f})),
              floatBits(-1.0f));
    // On the axis of capsule 0 (turned about z; frame point (3, 5, 0)) the quarter turn's cosine
    // of -4.37e-8 moves the axis by about 1.3e-7.
    const float turned = sculptureDistance({-0x1.6a0a36p+0f, 0x1.1cc6fap+0f, 0x1.ddea5ap+2f});
    EXPECT_GT(turned, -1.0f);
    EXPECT_LT(turned, -0.9999998f);
}

TEST(SculptureDistanceTest, IsCappedAtTheFarLimit) {
    for (const Vec3 p : {Vec3{5000, 0, 0}, Vec3{0, -1e6f, 0}, Vec3{3e4f, 2e4f, -5e4f},
                         Vec3{0, 0, 1e20f}, Vec3{1e30f, 1e30f, 1e30f}}) {
        EXPECT_EQ(floatBits(sculptureDistance(p)), floatBits(4000.0f)) << p.x << ", " << p.z;
    }
    EXPECT_NEAR(sculptureDistance({0, 0, -3000}), pathDistance(0, 0, -3000), 1e-3);
}

TEST(SculptureDistanceTest, IsNaNForANaNOrInfiniteCoordinate) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Vec3 p : {Vec3{nan, 0, 0}, Vec3{0, nan, 0}, Vec3{0, 0, nan}, Vec3{inf, 0, 0},
                         Vec3{0, -inf, 0}, Vec3{0, 0, inf}}) {
        EXPECT_TRUE(std::isnan(sculptureDistance(p))) << p.x << ", " << p.y << ", " << p.z;
    }
}

TEST(SculptureDistanceTest, WithinALimitIsExactUpToItAndAboveItBeyond) {
    // Frame points around the tube, at the corners where two capsules tie, and far out, against
    // limits from inside the tube to the far limit.
    std::mt19937 engine(23);
    std::uniform_real_distribution<float> nearby(-14.0f, 10.0f);
    std::uniform_real_distribution<float> wide(-4500.0f, 4500.0f);
    std::uniform_real_distribution<float> limits(-1.0f, 30.0f);
    std::vector<Vec3> points;
    for (const auto& c : kPathCorners) {
        points.push_back(
            {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])});
        points.push_back({static_cast<float>(c[0]) + 0.75f, static_cast<float>(c[1]) - 0.5f,
                          static_cast<float>(c[2]) + 1.25f});
    }
    for (int i = 0; i < 40000; ++i) {
        const bool near = i % 4 != 0;
        points.push_back(near ? Vec3{nearby(engine), nearby(engine), nearby(engine)}
                              : Vec3{wide(engine), wide(engine), wide(engine)});
    }
    int exactChecks = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vec3 q = points[i];
        const float full = sculptureDistanceInTableOrder(q);
        for (const float limit : {limits(engine), full, 4000.0f}) {
            const float within = sculptureDistanceWithin(q, limit);
            if (full <= limit) {
                ++exactChecks;
                ASSERT_EQ(floatBits(within), floatBits(full)) << q.x << ", " << q.y << ", " << q.z;
            } else {
                ASSERT_GT(within, limit) << q.x << ", " << q.y << ", " << q.z;
                ASSERT_LE(within, 4000.0f);
            }
        }
    }
    EXPECT_GT(exactChecks, 80000);
    // A non-finite point gives what the full evaluation gives.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(std::isnan(sculptureDistanceWithin({inf, 0, 0}, 4000.0f)));
}

TEST(SculptureDistanceTest, PointPerLaneIsTheTableOrderBitForBit) {
    // Only the candidate capsules of the point's cell, their turns folded in at compile time: on
    // and off the axes of turned and unturned capsules, at segment ends, at signed zeros, huge
    // and non-finite coordinates, and random points.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float huge = std::numeric_limits<float>::max();
    std::vector<Vec3> points = {
        {0, 5, 0},     {-0.0f, 5, -0.0f}, {5, 5, -5},        {5, 5, -10},
        {1, 5, -10},   {7, -1, -10},      {-0.0f, -0.0f, 0}, {0, 0, -0.0f},
        {7, 3, -5.5f}, {1e30f, -2, 3},    {huge, 0, 0},      {0, -huge, 0},
        {inf, 0, 0},   {0, nan, 0},       {0, 0, -inf},      {nan, inf, 1},
    };
    // On the faces of the grid cells that choose the candidate capsules, and just inside and
    // outside the grid.
    const float* centre = kSegmentBox.centre;
    for (int k = 0; k < 3; ++k) {
        for (int j = -1; j <= kCellsPerAxis + 1; ++j) {
            const float face = kCellsLow[k] + static_cast<float>(j) * kCellSize;
            for (const float v : {face, std::nextafter(face, -1e9f), face + 0.5f}) {
                Vec3 q = {centre[0], centre[1], centre[2]};
                (k == 0 ? q.x : k == 1 ? q.y : q.z) = v;
                points.push_back(q);
                points.push_back({v - kCellsLow[k] + kCellsLow[0], v - kCellsLow[k] + kCellsLow[1],
                                  v - kCellsLow[k] + kCellsLow[2]});
            }
        }
    }
    std::mt19937 engine(29);
    const float span = static_cast<float>(kCellsPerAxis) * kCellSize;
    std::uniform_real_distribution<float> grid(-2.0f, span + 2.0f);
    std::uniform_real_distribution<float> wide(-4500.0f, 4500.0f);
    for (int i = 0; i < 100000; ++i) {
        points.push_back(i % 8 != 0 ? Vec3{kCellsLow[0] + grid(engine), kCellsLow[1] + grid(engine),
                                           kCellsLow[2] + grid(engine)}
                                    : Vec3{wide(engine), wide(engine), wide(engine)});
    }
    for (const Vec3 q : points) {
        const float lanes = sculptureInFrameLanes<LaneOpsScalar>({q.x, q.y, q.z}, 1);
        ASSERT_EQ(floatBits(lanes), floatBits(sculptureDistanceInTableOrder(q)))
            << q.x << ", " << q.y << ", " << q.z;
    }
}

}  // namespace
}  // namespace rm
