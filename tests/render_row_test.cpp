// Rows of the real renderer against the exact image.
#include "render/render_row.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "common/exact_rows.h"
#include "reference/trace.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "simd/simd_level.h"
#include "support/row_workspace.h"

namespace rm {
namespace {

TEST(RenderRowTest, MatchesTheExactImage) {
    // Ground only (0), ground and sculpture (300, 512), the horizon (640), sculpture against the
    // sky (700) and sky only (1023).
    for (const int y : {0, 300, 512, 640, 700, 1023}) {
        uint8_t row[kRowBytes];
        renderRow(kPlainKernels, y, row, rmtest::rowWorkspace());
        EXPECT_TRUE(rm::tools::rowIsExact(y, row)) << "row " << y;
    }
}

// The plain evaluation, pixel by pixel: both fields in every pass, the recursive reflections and
// the full octave noise. Rows of sculpture and ground (512), sculpture against the sky (700) and
// sky alone (1023).
TEST(RenderRowTest, ShadingEachPixelOnItsOwnGivesTheSameRows) {
    for (const int y : {512, 700, 1023}) {
        uint8_t bytes[kRowBytes];
        for (int x = 0; x < kImageWidth; ++x) {
            const PixelBytes px = reference::shadePixel(x, y);
            bytes[3 * x] = px.blue;
            bytes[3 * x + 1] = px.green;
            bytes[3 * x + 2] = px.red;
        }
        EXPECT_TRUE(rm::tools::rowIsExact(y, bytes)) << "row " << y;
    }
}

}  // namespace
}  // namespace rm
