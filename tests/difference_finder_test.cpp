// The difference finder on images with planted differences, on partial and rearranged images, on
// files it must refuse (in bounded memory and at once), and on what must never cost a file: a
// mask onto its own input, a link, device, FIFO or folder at the mask's name, a mask that cannot
// be written, and its own output going wrong.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cfenv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "common/sha256.h"
#include "diff/image_difference.h"
#include "noise/perlin_noise.h"
#include "render/kernel_table.h"
#include "scene/scene_noise.h"
#include "simd/simd_level.h"
#include "support/child_process.h"
#include "support/text_files.h"

namespace {

using rmtest::readFile;
using rmtest::writeFile;

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kRowBytes = 3840;
constexpr std::size_t kFileSize = kHeaderSize + 1024 * kRowBytes;

std::string path(const std::string& name) { return RAYMARCH_TEST_DIR "/finder-" + name; }

// The renderer's own image, rendered once and kept beside the tests. The tests run as processes
// of their own, several at once: the first to get the lock renders, the others wait for its file
// rather than render the same frame beside it.
std::string exactImage() {
    const std::string file = path("exact.tga");
    const int lock = open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock >= 0) flock(lock, LOCK_EX);
    std::string bytes = readFile(file);
    if (bytes.size() != kFileSize) {
        bytes = rmtest::runCaptured(RAYMARCH_EXECUTABLE).out;
        const std::string partial = file + ".partial." + std::to_string(getpid());
        writeFile(partial, bytes);
        std::rename(partial.c_str(), file.c_str());
    }
    if (lock >= 0) close(lock);
    return bytes;
}

rmtest::ChildResult find(const std::vector<std::string>& arguments) {
    return rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, arguments);
}

std::size_t offset(int x, int y) { return kHeaderSize + y * kRowBytes + 3 * x; }

// A mask's file, not yet renamed into place, left behind.
void expectNoTemporaryFileIn(const std::string& folder) {
    DIR* entries = opendir(folder.c_str());
    ASSERT_NE(entries, nullptr);
    while (const dirent* entry = readdir(entries))
        EXPECT_NE(std::string(entry->d_name).rfind(".raymarch_diff-", 0), 0u)
            << "left behind: " << entry->d_name;
    closedir(entries);
}

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
    EXPECT_NE(out.find("difference mask (differing pixels red): " + path("planted-mask.tga")),
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
        {"truncated.tga", tga.substr(0, kHeaderSize + 3000),
         "is truncated: 3000 of the 3932160 bytes of pixels, not one whole row"},
        {"long.tga", tga + std::string(65537, 'x'),
         "is not an image of the renderer: 3997715 bytes"},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        writeFile(path(file.name), file.bytes);
        const rmtest::ChildResult run = find({path(file.name)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(file.message), std::string::npos) << run.err;
    }

    // Names are printed with their control characters escaped.
    const rmtest::ChildResult missing = find({path("no\x1b[2Jsuch\nfile.tga")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "raymarch_diff: cannot open " + path("no\\x1b[2Jsuch\\nfile.tga") +
                               ": No such file or directory\n");
    const rmtest::ChildResult folder = find({RAYMARCH_TEST_DIR});
    EXPECT_EQ(folder.status, 2);
    EXPECT_EQ(folder.err, "raymarch_diff: cannot read " RAYMARCH_TEST_DIR ": Is a directory\n");
    // "--" ends the options: an image whose name starts with '-'.
    const rmtest::ChildResult dashed = find({"--", "-no-such.tga"});
    EXPECT_EQ(dashed.status, 2);
    EXPECT_EQ(dashed.err, "raymarch_diff: cannot open -no-such.tga: No such file or directory\n");
    for (const auto& arguments : {std::vector<std::string>{},
                                  {"a.tga", "b.tga"},
                                  {"a.tga", "--mask"},
                                  {"a.tga", "--mask", "m.tga", "--no-mask"},
                                  {"--verbose", "a.tga"},
                                  {"-a.tga"}}) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const rmtest::ChildResult run = find(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("usage: raymarch_diff IMAGE", 0), 0u) << run.err;
    }
    const rmtest::ChildResult help = find({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: raymarch_diff IMAGE", 0), 0u) << help.out;
    for (const char* status : {"0 the image is exact", "1 it differs", "2 bad arguments",
                               "3 this machine does not render exactly", "4 IMAGE is incomplete",
                               "5 standard output cannot be written"})
        EXPECT_NE(help.out.find(status), std::string::npos) << status;
}

// A 4 GiB file (sparse: it takes no room) is refused at once from its header or its size, and
// so is an endless one, within an address space far smaller than the file.
TEST(DifferenceFinderTest, RefusesHugeAndEndlessInputAtOnceInBoundedMemory) {
    const std::string exact = exactImage();
    constexpr unsigned long long kLimit = 256ull << 20;
    const struct {
        const char* name;
        std::string header;
        const char* message;
    } files[] = {{"huge-zero.tga", "", "is not an uncompressed true-colour TGA (image type 0"},
                 {"huge-image.tga", exact.substr(0, kHeaderSize),
                  "is not an image of the renderer: 4294967296 bytes"}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const std::string name = path(file.name);
        writeFile(name, file.header);
        ASSERT_EQ(truncate(name.c_str(), 4ll << 30), 0);
        const auto start = std::chrono::steady_clock::now();
        const rmtest::ChildResult run =
            rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, {name}, {.addressSpace = kLimit});
        const auto took = std::chrono::steady_clock::now() - start;
        std::remove(name.c_str());
        EXPECT_TRUE(run.exited);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(file.message), std::string::npos) << run.err;
        EXPECT_LT(took, std::chrono::seconds(5));
    }
    const rmtest::ChildResult zero =
        rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, {"/dev/zero"}, {.addressSpace = kLimit});
    EXPECT_TRUE(zero.exited);
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.err.find("is not an uncompressed true-colour TGA"), std::string::npos);
}

// Everything that must not cost the porter a file: the mask is never written over the input,
// through its own name, a symbolic link or another (hard) link; a link at the mask's name to
// another file is replaced, not followed; a mask that cannot be written leaves nothing behind and
// keeps the verdict, its reason and the trace line.
TEST(DifferenceFinderTest, NeverWritesOverItsInputAndLeavesNothingOfAFailedMask) {
    std::string image = exactImage();
    image[offset(26, 5) + 1] ^= 4;
    // In a folder of its own, where no other test's mask is being written.
    const std::string folder = path("guarded");
    mkdir(folder.c_str(), 0700);
    const std::string input = folder + "/guarded.tga";
    const std::string defaultMask = folder + "/guarded-mask.tga";
    writeFile(input, image);
    const std::string traceLine = std::string(RAYMARCH_TRACE_EXECUTABLE) + " 26 5";
    auto expectVerdictKept = [&](const rmtest::ChildResult& run, const std::string& reason) {
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(lastLine(run.out), traceLine);
        EXPECT_NE(run.out.find("difference mask: none (" + reason + ")"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.err, "raymarch_diff: no difference mask: " + reason + "\n");
        EXPECT_TRUE(readFile(input) == image) << "the input was changed";
    };

    expectVerdictKept(find({input, "--mask", input}),
                      "not writing " + input + ": it is the image being checked");
    std::remove(defaultMask.c_str());
    ASSERT_EQ(symlink(input.c_str(), defaultMask.c_str()), 0);
    expectVerdictKept(find({input}), "not writing " + defaultMask +
                                         ": it is a symbolic link to the image being checked");
    std::remove(defaultMask.c_str());
    ASSERT_EQ(link(input.c_str(), defaultMask.c_str()), 0);
    expectVerdictKept(find({input}),
                      "not writing " + defaultMask + ": it is the image being checked");
    std::remove(defaultMask.c_str());

    // A link to another file is replaced by the mask; the file it pointed to stays as it was.
    const std::string other = path("other.txt");
    writeFile(other, "keep me");
    ASSERT_EQ(symlink(other.c_str(), defaultMask.c_str()), 0);
    rmtest::ChildResult run = find({input});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(readFile(other), "keep me");
    struct stat st;
    ASSERT_EQ(lstat(defaultMask.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_size, static_cast<off_t>(kFileSize));

    // No mask asked for: none written.
    std::remove(defaultMask.c_str());
    run = find({"--no-mask", input});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(lastLine(run.out), traceLine);
    EXPECT_EQ(run.out.find("difference mask"), std::string::npos) << run.out;
    EXPECT_NE(access(defaultMask.c_str(), F_OK), 0);

    // A folder that is not there, and a disk that fills up (a file size limit far below the
    // mask's): the true reason, and no mask or piece of one left behind.
    expectVerdictKept(
        find({input, "--mask", path("no-such-folder/mask.tga")}),
        "cannot write " + path("no-such-folder/mask.tga") + ": No such file or directory");
    run = rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, {input}, {.fileSize = 1 << 20});
    expectVerdictKept(run, "cannot write " + defaultMask + ": File too large");
    EXPECT_NE(access(defaultMask.c_str(), F_OK), 0);
    expectNoTemporaryFileIn(folder);
}

// What is at the mask's name and is not a file stays as it was: a device, a FIFO, a link to one,
// a folder (with or without a trailing slash). A name as long as a file's name may be still
// takes the mask.
TEST(DifferenceFinderTest, ReplacesNothingButAFileOrLinkAtTheMasksName) {
    std::string image = exactImage();
    image[offset(26, 5) + 1] ^= 4;
    const std::string input = path("refused-names.tga");
    writeFile(input, image);
    auto expectRefused = [&](const std::string& mask, const std::string& reason) {
        SCOPED_TRACE(mask);
        const rmtest::ChildResult run = find({input, "--mask", mask});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.out.find("difference mask: none (" + reason + ")"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.err, "raymarch_diff: no difference mask: " + reason + "\n");
    };
    auto fileType = [](const std::string& name) {
        struct stat st;
        return lstat(name.c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
    };
    const std::string advice =
        "; a mask is written only as a regular file: give another name, "
        "or --no-mask";

    // /dev/null only as a name that is refused: afterwards it must still be the device.
    expectRefused("/dev/null", "not writing /dev/null: it is a character device" + advice);
    EXPECT_EQ(fileType("/dev/null"), static_cast<mode_t>(S_IFCHR));

    const std::string fifo = path("mask-fifo");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    expectRefused(fifo, "not writing " + fifo + ": it is a FIFO" + advice);
    EXPECT_EQ(fileType(fifo), static_cast<mode_t>(S_IFIFO));
    const std::string link = path("mask-link");
    std::remove(link.c_str());
    ASSERT_EQ(symlink(fifo.c_str(), link.c_str()), 0);
    expectRefused(link, "not writing " + link + ": it is a symbolic link to a FIFO" + advice);
    EXPECT_EQ(fileType(link), static_cast<mode_t>(S_IFLNK));
    std::remove(link.c_str());
    std::remove(fifo.c_str());

    const std::string folder = path("mask-folder");
    mkdir(folder.c_str(), 0700);
    expectRefused(folder, "cannot write " + folder + ": Is a directory");
    expectRefused(folder + "/", "cannot write " + folder + "/: Is a directory");
    expectRefused(input + "/", "cannot write " + input + "/: Not a directory");
    EXPECT_EQ(fileType(folder), static_cast<mode_t>(S_IFDIR));

    // 250 bytes of name in the folder.
    const std::string longName = folder + "/" + std::string(246, 'm') + ".tga";
    const rmtest::ChildResult run = find({input, "--mask", longName});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readFile(longName).size(), kFileSize);
    std::remove(longName.c_str());
    EXPECT_EQ(rmdir(folder.c_str()), 0) << "left behind in the folder";
}

// The default mask goes beside the image only when the image is a regular file: an image read
// from a FIFO or through a link gets none, and is told why and what to do.
TEST(DifferenceFinderTest, PutsADefaultMaskOnlyBesideARegularFile) {
    std::string image = exactImage();
    image[offset(26, 5) + 1] ^= 4;
    const std::string input = path("beside-only.tga");
    writeFile(input, image);
    const std::string traceLine = std::string(RAYMARCH_TRACE_EXECUTABLE) + " 26 5";
    auto expectNoDefault = [&](const rmtest::ChildResult& run, const std::string& name,
                               const std::string& kind) {
        const std::string reason = "no default mask for " + name + ": it is " + kind +
                                   "; a default mask goes beside an image only when the image is "
                                   "a regular file: give --mask MASK or --no-mask";
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(lastLine(run.out), traceLine);
        EXPECT_NE(run.out.find("difference mask: none (" + reason + ")"), std::string::npos)
            << run.out;
        EXPECT_EQ(run.err, "raymarch_diff: no difference mask: " + reason + "\n");
    };

    const std::string link = path("linked.tga");
    std::remove(link.c_str());
    std::remove(path("linked-mask.tga").c_str());
    std::remove(path("piped-mask.tga").c_str());
    ASSERT_EQ(symlink(input.c_str(), link.c_str()), 0);
    expectNoDefault(find({link}), link, "a symbolic link");
    EXPECT_NE(access(path("linked-mask.tga").c_str(), F_OK), 0);
    std::remove(link.c_str());

    const std::string fifo = path("piped.tga");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        const int fd = open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) return;
        for (std::size_t done = 0; done < image.size();) {
            const ssize_t n = write(fd, image.data() + done, image.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        close(fd);
    });
    const rmtest::ChildResult run = find({fifo});
    writer.join();
    expectNoDefault(run, fifo, "a FIFO");
    EXPECT_NE(access(path("piped-mask.tga").c_str(), F_OK), 0);
    std::remove(fifo.c_str());
}

// A failed write of its own report is an error with its own status, whatever the verdict, and
// leaves no new mask: none where there was none, the old one where there was one.
TEST(DifferenceFinderTest, AFailedReportIsStatus5WithTheReasonAndNoNewMask) {
    const std::string exact = exactImage();
    writeFile(path("exact-copy.tga"), exact);
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    for (const auto& arguments :
         {std::vector<std::string>{path("exact-copy.tga")}, std::vector<std::string>{"--help"}}) {
        const rmtest::ChildResult run =
            rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, arguments, {.out = full});
        EXPECT_EQ(run.status, 5);
        EXPECT_EQ(run.err,
                  "raymarch_diff: cannot write to standard output: No space left on device\n");
    }

    std::string image = exact;
    image[offset(26, 5) + 1] ^= 4;
    const std::string folder = path("unreported");
    mkdir(folder.c_str(), 0700);
    const std::string input = folder + "/unreported.tga";
    const std::string mask = folder + "/unreported-mask.tga";
    writeFile(input, image);
    std::remove(mask.c_str());
    const rmtest::ChildResult run =
        rmtest::runCaptured(RAYMARCH_DIFF_EXECUTABLE, {input}, {.out = full});
    close(full);
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(access(mask.c_str(), F_OK), -1) << "a mask was written";

    // A reader that leaves once the rows are checked: the report's last lines, written after the
    // mask, fail.
    auto runWithReaderThatLeaves = [&] {
        int out[2];
        int err[2];
        rmtest::ChildEnd end;
        if (!rmtest::makePipe(out)) return end;
        if (!rmtest::makePipe(err)) return end;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        const pid_t pid =
            rmtest::startChild(RAYMARCH_DIFF_EXECUTABLE, {out[1], err[1], true}, {input});
        close(out[1]);
        close(err[1]);
        std::string report;
        char buffer[256];
        while (report.find("rows exactly\n") == std::string::npos) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            report.append(buffer, static_cast<std::size_t>(n));
        }
        close(out[0]);
        std::string message;
        rmtest::readToEnd(err[0], message, deadline);
        close(err[0]);
        if (pid > 0) end = rmtest::waitChild(pid, deadline);
        EXPECT_EQ(message, "raymarch_diff: cannot write to standard output: Broken pipe\n");
        return end;
    };
    rmtest::ChildEnd end = runWithReaderThatLeaves();
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 5);
    EXPECT_EQ(access(mask.c_str(), F_OK), -1) << "a mask was written";
    writeFile(mask, "the old mask");
    end = runWithReaderThatLeaves();
    EXPECT_EQ(end.status, 5);
    EXPECT_TRUE(readFile(mask) == "the old mask") << "the old mask was replaced";
    expectNoTemporaryFileIn(folder);
}

// An image cut short is checked on the whole rows it has: status 4 when all of them are exact,
// 1 when one differs.
TEST(DifferenceFinderTest, ChecksAPartialImageOnTheRowsItHas) {
    const std::string exact = exactImage();
    writeFile(path("partial.tga"), exact.substr(0, kHeaderSize + 300 * kRowBytes + 1000));
    rmtest::ChildResult run = find({path("partial.tga")});
    EXPECT_EQ(run.status, 4) << run.err;
    EXPECT_EQ(run.out, path("partial.tga") +
                           " is incomplete: it has 300 of the 1024 rows and 1000 of the 3840 bytes "
                           "of row 300, which is not looked at, and all 300 whole rows it has are "
                           "exact; the rows after them are missing\n");
    writeFile(path("partial-rows.tga"), exact.substr(0, kHeaderSize + 2 * kRowBytes));
    run = find({path("partial-rows.tga")});
    EXPECT_EQ(run.status, 4);
    EXPECT_NE(run.out.find("it has 2 of the 1024 rows, and all 2 whole rows"), std::string::npos)
        << run.out;

    std::string cut = exact.substr(0, kHeaderSize + 300 * kRowBytes + 1000);
    cut[offset(40, 200)] ^= 1;
    writeFile(path("partial-differs.tga"), cut);
    run = find({path("partial-differs.tga"), "--no-mask"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("it has 300 of the 1024 rows and 1000 of the 3840 bytes of row 300, "
                           "which is not looked at; 1 of those 300 rows differ"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("first differing pixel: column 40, row 200"), std::string::npos);
    EXPECT_EQ(lastLine(run.out), std::string(RAYMARCH_TRACE_EXECUTABLE) + " 40 200");
}

// The exact image turned over, or with red and blue swapped, or both, is named as such with the
// fix, and no pixel is reported.
TEST(DifferenceFinderTest, NamesAFlippedOrSwappedImageWithTheFix) {
    const std::string exact = exactImage();
    std::string flipped = exact.substr(0, kHeaderSize);
    for (int y = 1023; y >= 0; --y)
        flipped += exact.substr(kHeaderSize + y * kRowBytes, kRowBytes);
    std::string swapped = exact;
    for (std::size_t i = kHeaderSize; i < kFileSize; i += 3)
        std::swap(swapped[i], swapped[i + 2]);
    std::string both = flipped;
    for (std::size_t i = kHeaderSize; i < kFileSize; i += 3)
        std::swap(both[i], both[i + 2]);
    const struct {
        const char* name;
        const std::string& bytes;
        const char* says;
        const char* fix;
    } images[] = {
        {"flipped.tga", flipped, "is the exact image with its rows in reverse order",
         "fix: reverse the order of its rows"},
        {"swapped.tga", swapped, "is the exact image with red and blue swapped",
         "fix: swap the first and third byte of every pixel back"},
        {"flipped-swapped.tga", both,
         "is the exact image with its rows in reverse order and red and blue swapped",
         "fix: reverse the order of its rows and swap the first and third byte"},
    };
    for (const auto& image : images) {
        SCOPED_TRACE(image.name);
        writeFile(path(image.name), image.bytes);
        const rmtest::ChildResult run = find({path(image.name)});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.out.find(path(image.name) + " " + image.says), std::string::npos) << run.out;
        EXPECT_NE(run.out.find(image.fix), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("first differing pixel"), std::string::npos) << run.out;
    }
    // Swapped in a partial image too.
    writeFile(path("swapped-partial.tga"), swapped.substr(0, kHeaderSize + 10 * kRowBytes));
    const rmtest::ChildResult run = find({path("swapped-partial.tga")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("'s rows are the exact rows with red and blue swapped"),
              std::string::npos)
        << run.out;
}

// On a machine that does not render exactly (here: rounding upward, which gets every row
// wrong) the finder's check stops at the first wrong row and renders no row after it.
TEST(DifferenceFinderTest, StopsAtTheFirstRowThatThisMachineGetsWrong) {
    ASSERT_EQ(std::fesetround(FE_UPWARD), 0);
    std::vector<std::uint8_t> frame(1024 * kRowBytes, 0);
    EXPECT_EQ(rm::tools::renderRowsChecked(rm::kPlainKernels, {3, 600, 900}, frame.data()), 3);
    for (const int y : {600, 900})
        EXPECT_EQ(std::count(frame.begin() + y * kRowBytes, frame.begin() + (y + 1) * kRowBytes, 0),
                  static_cast<long>(kRowBytes))
            << "row " << y << " was rendered";
    ASSERT_EQ(std::fesetround(FE_TONEAREST), 0);
    EXPECT_EQ(rm::tools::renderRowsChecked(rm::kPlainKernels, {3, 600}, frame.data()), -1);
}

}  // namespace
