// The pixel trace: the committed traces of a few pixels, its last lines against the renderer's
// bytes, and its arguments.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "render/camera.h"
#include "render/render_row.h"
#include "support/child_process.h"
#include "support/seed_zero_noise.h"
#include "trace/trace_log.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The first line where two texts part, for the failure message.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected);
    std::istringstream a(actual);
    std::string le;
    std::string la;
    for (int line = 1;; ++line) {
        const bool moreE = static_cast<bool>(std::getline(e, le));
        const bool moreA = static_cast<bool>(std::getline(a, la));
        if (!moreE && !moreA) return "no differing line";
        if (!moreE || !moreA || le != la) {
            return "line " + std::to_string(line) + ": expected \"" + (moreE ? le : "(end)") +
                   "\", got \"" + (moreA ? la : "(end)") + "\"";
        }
    }
}

// Sky far from the sun, the middle of the sun's soft disc, ground reflecting sky, sculpture with
// a chain down to depth 5, and sky just above the ground at the horizon, where the march skims
// the terrain for a long way.
TEST(PixelTraceTest, MatchesTheCommittedTraces) {
    const struct {
        const char* file;
        int x;
        int y;
    } pixels[] = {{"sky-1279-1023", 1279, 1023},
                  {"sun-401-862", 401, 862},
                  {"ground-300-300", 300, 300},
                  {"sculpture-608-614", 608, 614},
                  {"horizon-100-649", 100, 649}};
    for (const auto& pixel : pixels) {
        SCOPED_TRACE(pixel.file);
        const std::string expected =
            readFile(RAYMARCH_TRACES "/" + std::string(pixel.file) + ".trace");
        ASSERT_FALSE(expected.empty());
        const rmtest::ChildResult run = rmtest::runCaptured(
            RAYMARCH_TRACE_EXECUTABLE, {std::to_string(pixel.x), std::to_string(pixel.y)});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(run.out == expected) << firstDifference(expected, run.out);
    }
}

int lastValue(const std::string& trace, const std::string& key) {
    const std::size_t at = trace.rfind("\n" + key + " ");
    return at == std::string::npos ? -1 : std::stoi(trace.substr(at + key.size() + 2));
}

TEST(PixelTraceTest, EndsInTheRenderersBytes) {
    rmtest::publishSeedZeroNoise();
    // Ground (0, 150), ground and sculpture (300, 512), the horizon (649), sculpture against the
    // sky (700) and sky (1023), at the edges and inside.
    for (const int y : {0, 150, 300, 512, 649, 700, 1023}) {
        std::uint8_t row[rm::kRowBytes];
        rm::renderRow(y, row);
        for (const int x : {0, 511, 640, 777, 1279}) {
            SCOPED_TRACE(testing::Message() << "column " << x << ", row " << y);
            const std::string trace = rm::tools::tracePixel(x, y);
            EXPECT_EQ(lastValue(trace, "pixel.blue"), row[3 * x]);
            EXPECT_EQ(lastValue(trace, "pixel.green"), row[3 * x + 1]);
            EXPECT_EQ(lastValue(trace, "pixel.red"), row[3 * x + 2]);
        }
    }
}

TEST(PixelTraceTest, RejectsBadArgumentsWithUsageAndStatus2) {
    const std::vector<std::string> cases[] = {
        {},          {"5"},         {"5", "6", "7"}, {"x", "6"},     {"5", "6.0"},
        {"-1", "6"}, {"1280", "0"}, {"0", "1024"},   {"99999", "0"}, {"", "0"}};
    for (const auto& arguments : cases) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const rmtest::ChildResult run = rmtest::runCaptured(RAYMARCH_TRACE_EXECUTABLE, arguments);
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("usage: raymarch_trace X Y\n", 0), 0u) << run.err;
    }
    EXPECT_EQ(rmtest::runCaptured(RAYMARCH_TRACE_EXECUTABLE, {"0", "0"}).status, 0);
}

}  // namespace
