// The real executable, run as a child process: the exact image, the exact progress stream and the
// exit status.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/exact_rows.h"
#include "support/child_process.h"
#include "support/exact_file.h"

namespace {

// One run serves all checks: ctest runs every test case in a process of its own.
TEST(ExecutableTest, WritesTheExactImageAndProgressAndExitsWithZero) {
    const rmtest::ChildResult run = rmtest::runCaptured(RAYMARCH_EXECUTABLE);

    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "Starting raymarching process\n" + std::string(1024, '.'));
    EXPECT_TRUE(rmtest::isExactFile(run.out));
    const std::string header(
        "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", 18);
    EXPECT_EQ(run.out.substr(0, 18), header);

    // The image check itself, on this image with a byte changed, taken away or added: it must
    // say so, and name the rows.
    const auto check = [](const std::string& file) {
        const rm::tools::ImageCheck c =
            rm::tools::checkImage(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        return std::vector<int>{c.exact, c.headerMatches, c.firstDifferingRow, c.differingRows};
    };
    ASSERT_EQ(check(run.out), (std::vector<int>{true, true, -1, 0}));
    std::string changed = run.out;
    changed[18 + 576 * 3840 + 1000] ^= 1;
    changed[18 + 900 * 3840 + 3839] ^= static_cast<char>(0x40);
    EXPECT_EQ(check(changed), (std::vector<int>{false, true, 576, 2}));
    changed = run.out;
    changed[16] = 32;
    EXPECT_EQ(check(changed), (std::vector<int>{false, false, -1, 0}));
    EXPECT_EQ(check(run.out.substr(0, run.out.size() - 3841)),
              (std::vector<int>{false, true, 1022, 2}));
    EXPECT_EQ(check(run.out + '\0'), (std::vector<int>{false, true, -1, 0}));
    EXPECT_EQ(check(""), (std::vector<int>{false, false, 0, 1024}));
    EXPECT_FALSE(rmtest::isExactFile(run.out.substr(0, 18)));
}

}  // namespace
