// A host that starts the program in another floating-point mode: the preloaded library
// (upward_flushing_host.cpp) rounds upward and flushes subnormals before main runs. The renderer
// sets its own environment and still writes the exact image; the trace reports the host's mode at
// start and renders under its own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/exact_rows.h"
#include "support/child_process.h"
#include "support/text_files.h"

namespace {

using rmtest::readFile;
using rmtest::valueLines;

constexpr std::size_t kHeaderBytes = 18;
constexpr std::size_t kRowBytes = 3840;
// Without the renderer's own setting, each of these rows comes out otherwise.
constexpr int kRows = 3;

const std::vector<std::string> kHostMode = {"LD_PRELOAD=" RAYMARCH_HOST_MODE_LIBRARY};

// The header and the first rows, read from a pipe that is closed after them.
TEST(HostFloatModeTest, RendererWritesTheExactFirstRows) {
    int out[2];
    ASSERT_TRUE(rmtest::makePipe(out));
    const pid_t pid = rmtest::startChild(RAYMARCH_EXECUTABLE, {out[1], -1, false}, {}, kHostMode);
    close(out[1]);
    ASSERT_GT(pid, 0);
    std::string image(kHeaderBytes + kRows * kRowBytes, '\0');
    std::size_t have = 0;
    while (have < image.size()) {
        const ssize_t n = read(out[0], image.data() + have, image.size() - have);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        have += static_cast<std::size_t>(n);
    }
    close(out[0]);
    const rmtest::ChildEnd end =
        rmtest::waitChild(pid, std::chrono::steady_clock::now() + std::chrono::minutes(10));
    EXPECT_FALSE(end.timedOut);
    ASSERT_EQ(have, image.size());
    const std::string header(
        "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", kHeaderBytes);
    EXPECT_EQ(image.substr(0, kHeaderBytes), header);
    for (int y = 0; y < kRows; ++y) {
        SCOPED_TRACE(testing::Message() << "row " << y);
        EXPECT_TRUE(rm::tools::rowIsExact(
            y, reinterpret_cast<const std::uint8_t*>(image.data() + kHeaderBytes + kRowBytes * y)));
    }
}

TEST(HostFloatModeTest, TraceReadsTheHostModeAtStartAndTracesUnderItsOwn) {
    const rmtest::ChildResult run = rmtest::runCaptured(
        RAYMARCH_TRACE_EXECUTABLE, {"--no-noise-terms", "300", "300"}, {.environment = kHostMode});
    ASSERT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("\n# rounding at start: float upward, double upward\n"
                           "# subnormal results at start: float flushed, double flushed\n"
                           "# subnormal operands at start: float zero, double zero\n"
                           "# floating-point control: set to round to nearest, nothing flushed, "
                           "exceptions masked\n"
                           "# rounding: float nearest, double nearest\n"
                           "# subnormal results: float kept, double kept\n"
                           "# subnormal operands: float read, double read\n"),
              std::string::npos)
        << run.out.substr(0, run.out.find("\ncolumn "));
    EXPECT_NE(run.out.find("\n# product rounded before adding: float yes, double yes\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\n# each operation rounded to its width: float yes, double yes\n"),
              std::string::npos);
    const std::string expected = valueLines(readFile(RAYMARCH_TRACES "/ground-300-300.trace"));
    ASSERT_FALSE(expected.empty());
    EXPECT_TRUE(valueLines(run.out) == expected);
}

}  // namespace
