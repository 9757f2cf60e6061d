// The sky: clear grey below a rise of 0.001, noise clouds above, a soft disc around the sun.
#include "reference/sky.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "math/float_bits.h"
#include "noise/perlin_noise.h"
#include "reference/noise.h"
#include "render/kernel_table.h"
#include "render/sky.h"
#include "simd/simd_level.h"

namespace rm {
namespace {

using reference::octaveNoise;
using reference::skyColor;

constexpr uint32_t kClearSkyBits = 0x3e99999a;  // 0.3
constexpr Vec3 kEye = {0.0f, 5.0f, 150.0f};
constexpr Vec3 kSun = {0.061898451298475266f, 0.12379688769578934f, -0.9903751611709595f};

// The cloud brightness of a rising ray: octave noise where it meets the cloud layer, at the
// distance |(o.y + 100) / d.y| along the ray.
float cloudBase(const OctaveNoise& clouds, Vec3 o, Vec3 d) {
    const float t = std::fabs((o.y + 100.0f) / d.y);
    const float px = t * d.x + o.x;
    const float pz = t * d.z + o.z;
    const double n = octaveNoise(clouds, double{px} * 0.002, double{pz} * 0.001, 0.0);
    const float c = static_cast<float>((n + 1.0) * 0.5);
    return (1.0f - c) * 0.3f + c * 0.8f;
}

float sunCosine(Vec3 d) { return (d.x * kSun.x + d.y * kSun.y) + d.z * kSun.z; }

void expectGrey(Vec3 colour, uint32_t bits) {
    EXPECT_EQ(floatBits(colour.x), bits);
    EXPECT_EQ(floatBits(colour.y), bits);
    EXPECT_EQ(floatBits(colour.z), bits);
}

TEST(SkyColorTest, IsClearGreyWithoutClouds) {
    const OctaveNoise clouds = makeOctaveNoise(8, 0);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        Vec3 origin;
        Vec3 direction;
    } cases[] = {
        {kEye, {0, -1, 0}},
        {kEye, {1, 0, 0}},
        {kEye, {0.6f, std::nextafter(0.001f, 0.0f), 0.8f}},
        {{0, -100, 0}, {0, 1, 0}},  // the layer distance is 0
        {kEye, {0, 0, -10}},        // not unit: the sun's arc cosine is NaN, its weight 0
        {kEye, {nan, nan, nan}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.direction.x << ", " << c.direction.y << ", "
                                        << c.direction.z << " from y " << c.origin.y);
        expectGrey(skyColor(clouds, c.origin, c.direction), kClearSkyBits);
    }
}

TEST(SkyColorTest, MixesCloudsIntoRisingRaysFromARiseOfExactly0Point001) {
    const OctaveNoise clouds = makeOctaveNoise(8, 0);
    const Vec3 rising[] = {{0, 1, 0},
                           {0.6f, 0.001f, 0.8f},
                           {-0.8f, 0.001f, 0.6f},
                           {0.3f, 0.5f, 0.8124038f},
                           {-0.2f, 0.9f, -0.3872983f}};
    for (const Vec3 d : rising) {
        SCOPED_TRACE(testing::Message() << d.x << ", " << d.y << ", " << d.z);
        ASSERT_LT(sunCosine(d), std::cos(0.4f));  // outside the sun's disc
        const float base = cloudBase(clouds, kEye, d);
        EXPECT_NE(floatBits(base), kClearSkyBits);
        expectGrey(skyColor(clouds, kEye, d), floatBits(base));
    }
    // Straight up from the eye the layer point is (0, 150): noise at (0, 0.15, 0).
    EXPECT_NEAR(skyColor(clouds, kEye, {0, 1, 0}).x, 0.662f, 5e-4f);
}

TEST(SkyColorTest, BrightensTowardTheSunAndStaysWithinZeroToOne) {
    const OctaveNoise clouds = makeOctaveNoise(8, 0);
    ASSERT_EQ(floatBits(sunCosine(kSun)), floatBits(1.0f));
    // The full sun weight 0.352 over the clouds there.
    EXPECT_NEAR(skyColor(clouds, kEye, kSun).x, 0.914f, 5e-4f);
    EXPECT_NEAR(skyColor(clouds, kEye, kSun).x - cloudBase(clouds, kEye, kSun), 0.352f, 1e-6f);

    // Moving the eye moves the clouds: bright ones push the sum past 1, which clamps to 1.
    std::mt19937 engine(4);
    std::normal_distribution<float> normal;
    int clamped = 0;
    for (int i = 0; i < 400; ++i) {
        const Vec3 origin = {25.0f * static_cast<float>(i), 5.0f, 150.0f};
        const Vec3 d = i % 2 ? kSun : Vec3{normal(engine), normal(engine), normal(engine)};
        const Vec3 c = skyColor(clouds, origin, d);
        ASSERT_EQ(floatBits(c.x), floatBits(c.y));
        ASSERT_EQ(floatBits(c.x), floatBits(c.z));
        ASSERT_GE(c.x, 0.0f);
        ASSERT_LE(c.x, 1.0f);
        if (c.x == 1.0f) ++clamped;
    }
    EXPECT_GT(clamped, 0);
}

TEST(SkyColorTest, ReadsThePublishedSkyNoise) {
    const OctaveNoise clouds = makeOctaveNoise(8, 0);
    std::mt19937 engine(6);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int i = 0; i < 3000; ++i) {
        const Vec3 origin = {unit(engine) * 500.0f, unit(engine) * 50.0f, unit(engine) * 500.0f};
        const Vec3 d = {unit(engine), i % 2 ? unit(engine) : std::fabs(unit(engine)), unit(engine)};
        const Vec3 published = rm::skyColor(kPlainKernels, origin, d);
        ASSERT_EQ(floatBits(published.x), floatBits(skyColor(clouds, origin, d).x))
            << d.x << ", " << d.y << ", " << d.z;
    }
}

}  // namespace
}  // namespace rm
