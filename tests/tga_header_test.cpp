// The image file's 18-byte header.
#include "app/tga_header.h"

#include <gtest/gtest.h>

namespace rm {
namespace {

TEST(TgaHeaderTest, DescribesAnUncompressed24BitImageStoredBottomRowFirst) {
    // Type 2, width 1280 and height 1024 little-endian, 24 bits per pixel, descriptor 0.
    const uint8_t expected[18] = {0, 0, 2, 0,    0,    0,    0,    0,  0,
                                  0, 0, 0, 0x00, 0x05, 0x00, 0x04, 24, 0};
    const TgaHeader header = makeTgaHeader();
    static_assert(sizeof header.bytes == 18);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(header.bytes[i], expected[i]) << "byte " << i;
}

}  // namespace
}  // namespace rm
