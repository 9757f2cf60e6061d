// The pixel bytes: truncation modulo 256, and the byte rules of sky, sculpture and ground pixels.
#include <gtest/gtest.h>

#include "render/pixel_shading.h"
#include "render/to_byte.h"

namespace rm {
namespace {

void expectBytes(PixelBytes actual, int blue, int green, int red) {
    EXPECT_EQ(actual.blue, blue);
    EXPECT_EQ(actual.green, green);
    EXPECT_EQ(actual.red, red);
}

TEST(ToByteTest, TruncatesTowardZeroModulo256) {
    const struct {
        float value;
        int byte;
    } cases[] = {
        {0.0f, 0},           {254.99f, 254},    {255.0f, 255}, {256.0f, 0},
        {280.5f, 24},        {-0.5f, 0},        {-1.5f, 255},  // -1 in two's complement
        {-129.9f, 127},      {8388863.0f, 255},                // 2^23 + 255
        {-8388863.0f, 1},                                      // -(2^23 + 255)
        {-2147483648.0f, 0},                                   // -2^31
        {2147483648.0f, 0},  // 2^31: converted as an unsigned integer from here on
        {2147483904.0f, 0},  // every float from 2^31 up is a multiple of 256
        {4294967040.0f, 0},  // the last float below 2^32
    };
    for (const auto& c : cases)
        EXPECT_EQ(toByte(c.value), c.byte) << c.value;
}

TEST(PixelBytesTest, SkyScalesEachChannelBy255AndStoresBlueFirst) {
    expectBytes(skyBytes({1.0f, 1.0f, 1.0f}), 255, 255, 255);
    expectBytes(skyBytes({0.999f, 0.999f, 0.999f}), 254, 254, 254);
    expectBytes(skyBytes({0.1f, 0.5f, 0.9f}), 229, 127, 25);
}

TEST(PixelBytesTest, SculptureWeighsEachOfItsFourRaysBy0Point2) {
    const Vec3 one = {1, 1, 1};
    const Vec3 zero = {0, 0, 0};
    expectBytes(sculptureBytes(one, one, one, one), 224, 224, 224);   // 0.88
    expectBytes(sculptureBytes(zero, zero, zero, zero), 20, 20, 20);  // 0.08
    // One ray of (1, 0.5, 0): red 0.28, green 0.18, blue 0.08; a mean of four would give 0.33.
    const Vec3 red = {1.0f, 0.5f, 0.0f};
    expectBytes(sculptureBytes(red, zero, zero, zero), 20, 45, 71);
    expectBytes(sculptureBytes(zero, zero, zero, red), 20, 45, 71);
}

TEST(PixelBytesTest, GroundWeighsItsTwoRaysByTheReflectionAngle) {
    // At k = 0 only the blue tint remains, whatever the rays bring.
    expectBytes(groundBytes({0.7f, 0.3f, 1.0f}, {5.0f, 9.0f, 0.25f}, 0.0f), 51, 0, 0);
    expectBytes(groundBytes({1, 1, 1}, {1, 1, 1}, 1.0f), 255, 255, 255);
    // The mean of the two rays times k: red (0.2 + 0.6) / 2, green (0.4 + 1.0) / 2, and blue
    // gains (1 - k) 0.2.
    expectBytes(groundBytes({0.2f, 0.4f, 0.0f}, {0.6f, 1.0f, 0.0f}, 0.5f), 25, 89, 51);
}

}  // namespace
}  // namespace rm
