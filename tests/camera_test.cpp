// Primary-ray directions of the fixed camera at (0, 5, 150), looking at the world origin.
#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "math/float_bits.h"

namespace rm {
namespace {

// The camera's tilt: c = 150 q and s = 5 q with q = 1 / sqrt(5^2 + 150^2), in 32 bits.
constexpr float kC = 0.999444842338562f;
constexpr float kS = 0.03331482782959938f;

TEST(CameraTest, CentrePixelLooksStraightAtTheWorldOrigin) {
    const Vec3 d = primaryDirection(cameraRow(512), 640);
    EXPECT_EQ(floatBits(d.x), floatBits(0.0f));  // a positive zero
    EXPECT_EQ(floatBits(d.y), floatBits(-kS));
    EXPECT_EQ(floatBits(d.z), floatBits(-kC));
}

TEST(CameraTest, BottomLeftPixelLooksAlongMinus640Minus512MinusTheFocalLength) {
    const CameraRow row = cameraRow(0);
    EXPECT_EQ(row.vy, -512.0f);
    EXPECT_EQ(row.qy, 14866924.0f);  // 512^2 + 14604780
    const Vec3 d = primaryDirection(row, 0);
    // The same ray in exact arithmetic: right is -x, up is (0, c, -s), back is (0, s, c).
    const double lx = -640, ly = -512, lz = -3821.6201171875;
    const double n = std::sqrt(lx * lx + ly * ly + lz * lz);
    EXPECT_NEAR(d.x, -lx / n, 1e-7);
    EXPECT_NEAR(d.y, (kC * ly + kS * lz) / n, 1e-7);
    EXPECT_NEAR(d.z, (-kS * ly + kC * lz) / n, 1e-7);
    // The local direction is scaled by one reciprocal of the length.
    const float inv = 1.0f / std::sqrt(640.0f * 640.0f + 14866924.0f);
    EXPECT_EQ(floatBits(d.x), floatBits(-(-640.0f * inv)));
}

TEST(CameraTest, ColumnsRightOfTheCentreLookTowardNegativeX) {
    const CameraRow row = cameraRow(512);
    EXPECT_GT(primaryDirection(row, 0).x, 0.0f);
    EXPECT_GT(primaryDirection(row, 639).x, 0.0f);
    EXPECT_LT(primaryDirection(row, 641).x, 0.0f);
    EXPECT_LT(primaryDirection(row, 1279).x, 0.0f);
    // In the centre column the zero products of the basis keep the sign of the row's vy: a
    // negative zero below the centre row.
    EXPECT_EQ(floatBits(primaryDirection(cameraRow(0), 640).x), floatBits(-0.0f));
    EXPECT_EQ(floatBits(primaryDirection(cameraRow(700), 640).x), floatBits(0.0f));
}

TEST(CameraTest, DirectionsAreUnitVectors) {
    for (const int y : {0, 511, 512, 1023}) {
        const CameraRow row = cameraRow(y);
        for (const int x : {0, 1, 639, 640, 1279}) {
            const Vec3 d = primaryDirection(row, x);
            EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0, 2e-7) << x << ", " << y;
        }
    }
}

}  // namespace
}  // namespace rm
