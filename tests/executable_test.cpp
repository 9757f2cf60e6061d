// The real executable, run as a child process: the exact image, the exact progress stream and the
// exit status.
#include <gtest/gtest.h>

#include <string>

#include "common/sha256.h"
#include "support/child_process.h"
#include "support/golden_rows.h"

namespace {

constexpr std::size_t kFileSize = 18 + 1024 * 3840;

// One run serves all checks: ctest runs every test case in a process of its own.
TEST(ExecutableTest, WritesTheExactImageAndProgressAndExitsWithZero) {
    rmtest::GoldenImage golden;
    ASSERT_TRUE(rmtest::loadGoldenImage(RAYMARCH_GOLDEN_ROWS, golden));
    const rmtest::ChildResult run = rmtest::runCaptured(RAYMARCH_EXECUTABLE);

    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Starting raymarching process\n" + std::string(1024, '.'));

    ASSERT_EQ(run.out.size(), kFileSize);
    EXPECT_EQ(rm::tools::sha256Hex(run.out.data(), run.out.size()), golden.fileHash);
    const std::string header(
        "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", 18);
    EXPECT_EQ(run.out.substr(0, 18), header);
    // On a mismatch, name the first row that parts from the exact image.
    for (int y = 0; y < 1024; ++y) {
        const std::string hash = rm::tools::sha256Hex(run.out.data() + 18 + 3840 * y, 3840);
        ASSERT_EQ(hash, golden.rowHashes[y]) << "first differing row " << y;
    }
}

}  // namespace
