// The difference finder on images with planted differences and on files it must refuse.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "support/child_process.h"

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kRowBytes = 3840;
constexpr std::size_t kFileSize = kHeaderSize + 1024 * kRowBytes;

std::string path(const std::string& name) { return RAYMARCH_TEST_DIR "/finder-" + name; }

void writeFile(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The renderer's own image, rendered once and kept beside the tests.
std::string exactImage() {
    const std::string file = path("exact.tga");
    std::string bytes = readFile(file);
    if (bytes.size() == kFileSize) return bytes;
    bytes = rmtest::runCaptured(RAYMARCH_EXECUTABLE).out;
    const std::string partial = file + ".partial." + std::to_string(getpid());
    writeFile(partial, bytes);
    std::rename(partial.c_str(), file.c_str());
    return bytes;
}

rmtest::ChildResult find(const std::vector<std::string>& arguments) {
    return rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, arguments);
}

std::size_t offset(int x, int y) { return kHeaderSize + y * kRowBytes + 3 * x; }

std::string lastLine(const std::string& text) {
    const std::size_t end = text.find_last_not_of('\n');
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

TEST(DifferenceFinderTest, ReportsPlantedDifferencesAndWritesTheMask) {
    const std::string exact = exactImage();
    ASSERT_EQ(exact.size(), kFileSize);
    std::string image = exact;
    // Row 300 before row 301 in the file, though its first change lies further right; the largest
    // change is in row 301.
    image[offset(900, 300) + 1] ^= 1;
    image[offset(700, 300)] ^= 2;
    const unsigned char red = static_cast<unsigned char>(exact[offset(5, 301) + 2]);
    image[offset(5, 301) + 2] = static_cast<char>(red ^ 0x80);
    writeFile(path("planted.tga"), image);

    const rmtest::ChildResult run = find({path("planted.tga"), "--mask", path("planted-mask.tga")});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string& out = run.out;
    EXPECT_NE(out.find("2 of 1024 rows differ"), std::string::npos) << out;
    EXPECT_NE(out.find("gives all 2 rows exactly"), std::string::npos) << out;
    EXPECT_NE(out.find("gives the exact row 300"), std::string::npos) << out;
    EXPECT_NE(out.find("first differing pixel: column 700, row 300 (row 0 at the bottom); in the "
                       "picture x 700, y 723"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("differing pixels: 3 in 2 rows"), std::string::npos) << out;
    EXPECT_NE(out.find("largest channel difference: 128 (red of column 5, row 301)"),
              std::string::npos)
        << out;
    EXPECT_EQ(lastLine(out), std::string(RAYMARCH_TRACE_EXECUTABLE) + " 700 300");

    const std::string mask = readFile(path("planted-mask.tga"));
    ASSERT_EQ(mask.size(), kFileSize);
    EXPECT_EQ(mask.substr(0, kHeaderSize), exact.substr(0, kHeaderSize));
    for (const auto& [x, y] : {std::pair{900, 300}, {700, 300}, {5, 301}})
        EXPECT_EQ(mask.substr(offset(x, y), 3), std::string("\0\0\xff", 3)) << x << ", " << y;
    for (const auto& [x, y] : {std::pair{899, 300}, {5, 302}, {640, 0}}) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(static_cast<unsigned char>(mask[offset(x, y) + c]),
                      static_cast<unsigned char>(exact[offset(x, y) + c]) / 3);
        }
    }
}

TEST(DifferenceFinderTest, TellsTheExactImageAndExactPixelsInAnotherFile) {
    const std::string exact = exactImage();
    writeFile(path("exact-copy.tga"), exact);
    rmtest::ChildResult run = find({path("exact-copy.tga")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("is the exact image"), std::string::npos) << run.out;

    // The same pixels after a four-byte image id.
    std::string withId = exact;
    withId[0] = 4;
    withId.insert(kHeaderSize, "port");
    writeFile(path("with-id.tga"), withId);
    run = find({path("with-id.tga")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("has the exact pixels, but its file differs"), std::string::npos)
        << run.out;
}

TEST(DifferenceFinderTest, RefusesWhatIsNotTheRenderersImage) {
    std::string tga(kFileSize, '\0');
    const std::string header(
        "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", 18);
    tga.replace(0, kHeaderSize, header);
    auto withByte = [&](std::size_t at, char v) {
        std::string t = tga;
        t[at] = v;
        return t;
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } files[] = {
        {"text.tga", "P3 1280 1024 255\n", "is not a TGA file"},
        {"compressed.tga", withByte(2, 10), "is not an uncompressed true-colour TGA"},
        {"mapped.tga", withByte(1, 1), "is not an uncompressed true-colour TGA"},
        {"wide.tga", withByte(12, 0x04), "is a TGA of 1284 x 1024 pixels at 24 bits"},
        {"tall.tga", withByte(14, 0x03), "is a TGA of 1280 x 1027 pixels"},
        {"alpha.tga", withByte(16, 32), "at 32 bits per pixel"},
        {"top-down.tga", withByte(17, 0x20), "stores its rows from the top"},
        {"truncated.tga", tga.substr(0, kFileSize - 100),
         "is truncated: 3932060 of the 3932160 bytes of pixels"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        writeFile(path(file.name), file.bytes);
        const rmtest::ChildResult run = find({path(file.name)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(file.message), std::string::npos) << run.err;
    }

    const rmtest::ChildResult missing = find({path("no-such-file.tga")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open"), std::string::npos) << missing.err;
    for (const auto& arguments : {std::vector<std::string>{},
                                  {"a.tga", "b.tga"},
                                  {"a.tga", "--mask"},
                                  {"--verbose", "a.tga"}}) {
        const rmtest::ChildResult run = find(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err.rfind("usage: raymarch_diff IMAGE", 0), 0u) << run.err;
    }
}

}  // namespace
