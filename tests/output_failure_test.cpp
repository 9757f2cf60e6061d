// The executable when its output goes wrong: a failed image write stops it at once with one
// message and status 1, a reader that goes away ends it by SIGPIPE, and neither slow readers, a
// descriptor left in non-blocking mode nor a missing progress stream change the image. Every child
// is killed at a deadline, and a stop "at once" is also checked by the progress dots: it must not
// have gone on rendering rows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "support/child_process.h"
#include "support/exact_file.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Long enough for a loaded machine to start the program and write a few rows at -O0; far less
// than a frame takes.
constexpr auto kStopDeadline = 5s;
// For the one full frame: a hung child fails the test before ctest's own limit would.
constexpr auto kFrameDeadline = 25min;

constexpr std::size_t kRowBytes = 3840;
const std::string kBanner = "Starting raymarching process\n";
const std::string kHeader(
    "\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x05\x00\x04\x18\x00", 18);

// The progress stream of a child that stopped: the banner, one dot per row begun, then `tail`.
struct Progress {
    bool hasBanner = false;
    std::size_t dots = 0;
    std::string tail;
};

Progress parseProgress(const std::string& err) {
    Progress p;
    if (err.compare(0, kBanner.size(), kBanner) != 0) return p;
    p.hasBanner = true;
    const std::size_t end = std::min(err.find_first_not_of('.', kBanner.size()), err.size());
    p.dots = end - kBanner.size();
    p.tail = err.substr(end);
    return p;
}

// A child whose descriptor 1 is `out` (closed when -1) and whose progress is captured.
struct StoppedRun {
    rmtest::ChildEnd end;
    std::string err;
    bool errComplete = false;
};

StoppedRun runWithImageTo(int out) {
    StoppedRun run;
    int err[2];
    if (!rmtest::makePipe(err)) return run;
    const auto deadline = Clock::now() + kStopDeadline;
    const pid_t pid = rmtest::startChild(RAYMARCH_EXECUTABLE, {out, err[1], false});
    close(err[1]);
    if (pid > 0) {
        run.errComplete = rmtest::readToEnd(err[0], run.err, deadline);
        run.end = rmtest::waitChild(pid, deadline);
    }
    close(err[0]);
    return run;
}

TEST(ImageWriteFailure, FullDeviceStopsBeforeTheFirstRowWithTheSystemMessage) {
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    const StoppedRun run = runWithImageTo(full);
    close(full);
    ASSERT_FALSE(run.end.timedOut) << "still running after the deadline";
    EXPECT_TRUE(run.end.exited);
    EXPECT_EQ(run.end.status, 1);
    EXPECT_TRUE(run.errComplete);
    // The header is the first image write, so no row is begun.
    EXPECT_EQ(run.err, kBanner + "raymarch: write error: No space left on device\n");
}

TEST(ImageWriteFailure, ClosedDescriptorStopsBeforeTheFirstRowWithTheSystemMessage) {
    const StoppedRun run = runWithImageTo(-1);
    ASSERT_FALSE(run.end.timedOut) << "still running after the deadline";
    EXPECT_TRUE(run.end.exited);
    EXPECT_EQ(run.end.status, 1);
    EXPECT_EQ(run.err, kBanner + "raymarch: write error: Bad file descriptor\n");
}

// A reader that takes the first 100 bytes of the image and closes its end. The pipe holds one
// page: header and row 0 fit, but row 1 (an atomic 3840-byte write) cannot until the reader has
// taken far more than 100 bytes, so the child has begun exactly two rows when its write fails.
struct ShortReaderRun {
    StoppedRun stopped;
    std::string head;
};

ShortReaderRun runWithReaderThatLeaves(bool ignoreSigpipe) {
    ShortReaderRun run;
    int out[2];
    int err[2];
    if (!rmtest::makePipe(out, 4096)) return run;
    if (!rmtest::makePipe(err)) {
        close(out[0]);
        close(out[1]);
        return run;
    }
    const auto deadline = Clock::now() + kStopDeadline;
    const pid_t pid = rmtest::startChild(RAYMARCH_EXECUTABLE, {out[1], err[1], ignoreSigpipe});
    close(out[1]);
    close(err[1]);
    if (pid > 0) {
        char buffer[100];
        while (run.head.size() < sizeof buffer && Clock::now() < deadline) {
            const ssize_t n = read(out[0], buffer, sizeof buffer - run.head.size());
            if (n <= 0) break;
            run.head.append(buffer, static_cast<std::size_t>(n));
        }
        close(out[0]);
        run.stopped.errComplete = rmtest::readToEnd(err[0], run.stopped.err, deadline);
        run.stopped.end = rmtest::waitChild(pid, deadline);
    } else {
        close(out[0]);
    }
    close(err[0]);
    return run;
}

constexpr std::size_t kRowsBegun = 2;

TEST(ReaderGoesAway, DefaultDispositionEndsTheProcessBySigpipeSilently) {
    const ShortReaderRun run = runWithReaderThatLeaves(false);
    ASSERT_FALSE(run.stopped.end.timedOut) << "still running after the deadline";
    EXPECT_EQ(run.head.substr(0, 18), kHeader);
    EXPECT_FALSE(run.stopped.end.exited);
    EXPECT_EQ(run.stopped.end.status, SIGPIPE);
    const Progress progress = parseProgress(run.stopped.err);
    EXPECT_TRUE(progress.hasBanner);
    EXPECT_EQ(progress.dots, kRowsBegun);
    EXPECT_EQ(progress.tail, "");
}

TEST(ReaderGoesAway, IgnoredSigpipeStopsWithTheBrokenPipeMessage) {
    const ShortReaderRun run = runWithReaderThatLeaves(true);
    ASSERT_FALSE(run.stopped.end.timedOut) << "still running after the deadline";
    EXPECT_EQ(run.head.substr(0, 18), kHeader);
    EXPECT_TRUE(run.stopped.end.exited);
    EXPECT_EQ(run.stopped.end.status, 1);
    const Progress progress = parseProgress(run.stopped.err);
    EXPECT_TRUE(progress.hasBanner);
    EXPECT_EQ(progress.dots, kRowsBegun);
    // The message starts a line of its own, not after the dots.
    EXPECT_EQ(progress.tail, "\nraymarch: write error: Broken pipe\n");
}

// One full frame: the image goes to a reader that waits until the one-page pipe is full and then
// takes 1000-byte reads with pauses, so the child's writes block again and again; its progress
// stream is closed, so every progress write fails. Neither may cost a byte or change the status.
TEST(SlowReaderAndClosedProgress, DeliverTheExactImageAndExitZero) {
    int out[2];
    ASSERT_TRUE(rmtest::makePipe(out, 4096));
    const auto deadline = Clock::now() + kFrameDeadline;
    const pid_t pid = rmtest::startChild(RAYMARCH_EXECUTABLE, {out[1], -1, false});
    close(out[1]);
    ASSERT_GT(pid, 0);

    std::string image;
    char buffer[65536];
    int slowReads = 0;
    // Header and row 0 fill the page but for 238 bytes, so the next row's write blocks.
    int queued = 0;
    while (queued < 18 + static_cast<int>(kRowBytes) && Clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
        if (ioctl(out[0], FIONREAD, &queued) != 0) break;
    }
    bool open = true;
    while (open && Clock::now() < deadline) {
        const bool slow = slowReads < 400;
        const ssize_t n = read(out[0], buffer, slow ? 1000 : sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        open = n > 0;
        if (open) image.append(buffer, static_cast<std::size_t>(n));
        if (slow) {
            ++slowReads;
            std::this_thread::sleep_for(2ms);
        }
    }
    close(out[0]);
    const rmtest::ChildEnd end = rmtest::waitChild(pid, deadline);
    ASSERT_FALSE(end.timedOut) << "still running after the deadline";
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
    EXPECT_TRUE(rmtest::isExactFile(image));
}

// Descriptor 1 left in non-blocking mode by the parent, and a reader that starts only once the
// pipe is full: header and row 0 fill the page but for 238 bytes, so the write of row 1 (atomic,
// 3840 bytes) fails with EAGAIN. The child must wait for room, asleep, and lose nothing.
TEST(NonBlockingImageDescriptor, DeliversTheExactImageAndExitsZero) {
    int out[2];
    int err[2];
    ASSERT_TRUE(rmtest::makePipe(out, 4096));
    ASSERT_TRUE(rmtest::makePipe(err));
    ASSERT_EQ(fcntl(out[1], F_SETFL, fcntl(out[1], F_GETFL) | O_NONBLOCK), 0);
    const auto deadline = Clock::now() + kFrameDeadline;
    const pid_t pid = rmtest::startChild(RAYMARCH_EXECUTABLE, {out[1], err[1], false});
    close(out[1]);
    close(err[1]);
    ASSERT_GT(pid, 0);

    // Read nothing until the child sleeps on the full pipe, or has ended, or the time is up.
    const auto waitDeadline = Clock::now() + kStopDeadline;
    bool waited = false;
    while (!waited && Clock::now() < waitDeadline) {
        int queued = 0;
        if (ioctl(out[0], FIONREAD, &queued) != 0) break;
        const char state = rmtest::schedulerState(pid);
        if (state == 'Z') break;
        waited = queued == 18 + static_cast<int>(kRowBytes) && state == 'S';
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_TRUE(waited) << "the child never waited on the full pipe";

    std::string image;
    std::string progress;
    const bool imageComplete = rmtest::readToEnd(out[0], image, deadline);
    const bool progressComplete = rmtest::readToEnd(err[0], progress, deadline);
    close(out[0]);
    close(err[0]);
    const rmtest::ChildEnd end = rmtest::waitChild(pid, deadline);
    ASSERT_FALSE(end.timedOut) << "still running after the deadline";
    EXPECT_TRUE(imageComplete && progressComplete);
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(progress, kBanner + std::string(1024, '.'));
    EXPECT_TRUE(rmtest::isExactFile(image));
}

}  // namespace
