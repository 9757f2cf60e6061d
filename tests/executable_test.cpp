// The real executable, run as a child process: the exact image, the exact progress stream and the
// exit status.
#include <gtest/gtest.h>

#include <string>

#include "support/child_process.h"
#include "support/golden_rows.h"
#include "support/sha256.h"

namespace {

constexpr std::size_t kFileSize = 18 + 1024 * 3840;

class ExecutableTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        run_ = new rmtest::ChildResult(rmtest::runCaptured(RAYMARCH_EXECUTABLE));
        golden_ = new rmtest::GoldenImage();
        ASSERT_TRUE(rmtest::loadGoldenImage(RAYMARCH_GOLDEN_ROWS, *golden_));
    }
    static void TearDownTestSuite() {
        delete run_;
        delete golden_;
    }
    static rmtest::ChildResult* run_;
    static rmtest::GoldenImage* golden_;
};

rmtest::ChildResult* ExecutableTest::run_ = nullptr;
rmtest::GoldenImage* ExecutableTest::golden_ = nullptr;

TEST_F(ExecutableTest, WritesTheExactImage) {
    ASSERT_EQ(run_->out.size(), kFileSize);
    EXPECT_EQ(rmtest::sha256Hex(run_->out.data(), run_->out.size()), golden_->fileHash);
    const std::string header(
        "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", 18);
    EXPECT_EQ(run_->out.substr(0, 18), header);
    // On a mismatch, name the first row that parts from the exact image.
    for (int y = 0; y < 1024; ++y) {
        const std::string hash = rmtest::sha256Hex(run_->out.data() + 18 + 3840 * y, 3840);
        ASSERT_EQ(hash, golden_->rowHashes[y]) << "first differing row " << y;
    }
}

TEST_F(ExecutableTest, WritesTheBannerAndOneDotPerRow) {
    EXPECT_EQ(run_->err, "Starting raymarching process\n" + std::string(1024, '.'));
}

TEST_F(ExecutableTest, ExitsWithStatusZero) {
    EXPECT_TRUE(run_->exited);
    EXPECT_EQ(run_->status, 0);
}

}  // namespace
