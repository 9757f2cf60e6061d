// hostWrite on real descriptors: every byte arrives in order through a slow reader, through
// signals that cut a write short or interrupt it before its first byte, and through a descriptor
// in non-blocking mode; a failed write, even one after part of the buffer went out, returns its
// error number.
//
// The pipes hold one page, and the writer runs on its own thread, so the test can see it blocked:
// its bytes in the pipe and the thread asleep in the kernel.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "app/host.h"
#include "support/child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kDeadline = 10s;
constexpr int kPipeBytes = 4096;

// Bytes whose pattern does not repeat with the page size, so a lost, repeated or misplaced piece
// shows up in the comparison.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return bytes;
}

// Sets a signal's action for the lifetime of the object and restores the previous one.
struct ScopedSignal {
    ScopedSignal(int sig, void (*handler)(int)) : sig_(sig) {
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;  // no SA_RESTART: an interrupted write fails with EINTR
        sigaction(sig, &action, &previous_);
    }
    ~ScopedSignal() { sigaction(sig_, &previous_, nullptr); }
    ScopedSignal(const ScopedSignal&) = delete;
    ScopedSignal& operator=(const ScopedSignal&) = delete;

private:
    int sig_;
    struct sigaction previous_;
};

std::atomic<int> interruptions{0};
void countInterruption(int) { interruptions.fetch_add(1); }

// hostWrite of the whole buffer on a thread of its own, which then closes the descriptor so that
// the reader sees the end.
struct Writer {
    explicit Writer(int fd, const std::string& bytes)
        : thread([this, fd, &bytes] {
              tid.store(gettid());
              result = rm::hostWrite(fd, bytes.data(), static_cast<int32_t>(bytes.size()));
              done.store(true);
              close(fd);
          }) {}

    std::atomic<pid_t> tid{0};
    std::atomic<bool> done{false};
    int result = -1;
    std::thread thread;
};

int queuedBytes(int fd) {
    int queued = -1;
    return ioctl(fd, FIONREAD, &queued) == 0 ? queued : -1;
}

// Waits until the writer sleeps in a write that has filled the pipe; false at the deadline.
bool waitUntilBlockedOnFullPipe(const Writer& writer, int readEnd) {
    const auto deadline = Clock::now() + kDeadline;
    while (Clock::now() < deadline) {
        const pid_t tid = writer.tid.load();
        if (tid != 0 && !writer.done.load() && queuedBytes(readEnd) == kPipeBytes &&
            rmtest::schedulerState(tid) == 'S') {
            return true;
        }
        std::this_thread::sleep_for(1ms);
    }
    return false;
}

// Reads to the end in pieces of at most `piece` bytes, pausing after each of the first `pauses`.
std::string readInPieces(int fd, std::size_t piece, int pauses) {
    std::string into;
    std::string buffer(piece, '\0');
    const auto deadline = Clock::now() + kDeadline;
    while (Clock::now() < deadline) {
        const ssize_t n = read(fd, buffer.data(), piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        into.append(buffer.data(), static_cast<std::size_t>(n));
        if (pauses-- > 0) std::this_thread::sleep_for(1ms);
    }
    return into;
}

TEST(HostWrite, DeliversEveryByteInOrderToAReaderTakingSmallPieces) {
    int ends[2];
    ASSERT_TRUE(rmtest::makePipe(ends, kPipeBytes));
    const std::string bytes = pattern(256 * 1024 + 123);
    Writer writer(ends[1], bytes);
    const std::string received = readInPieces(ends[0], 1000, 100);
    writer.thread.join();
    close(ends[0]);
    EXPECT_EQ(writer.result, 0);
    EXPECT_TRUE(received == bytes) << "received " << received.size() << " of " << bytes.size();
}

// The first signal arrives when the write has moved one pipe's worth and sleeps: write returns
// that count, a short write. The second arrives in the next write, which has moved nothing yet:
// write fails with EINTR. hostWrite must go on from the right byte after both.
TEST(HostWrite, ContinuesAfterAShortWriteAndAfterEintr) {
    const ScopedSignal handler(SIGUSR1, countInterruption);
    const ScopedSignal noSigpipe(SIGPIPE, SIG_IGN);  // a failed test must not kill the runner
    interruptions.store(0);
    int ends[2];
    ASSERT_TRUE(rmtest::makePipe(ends, kPipeBytes));
    const std::string bytes = pattern(3 * kPipeBytes + 100);
    Writer writer(ends[1], bytes);

    bool blocked = waitUntilBlockedOnFullPipe(writer, ends[0]);
    EXPECT_TRUE(blocked) << "the first write never blocked";
    for (int sent = 1; blocked && sent <= 2; ++sent) {
        pthread_kill(writer.thread.native_handle(), SIGUSR1);
        const auto deadline = Clock::now() + kDeadline;
        while (interruptions.load() < sent && Clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        blocked = waitUntilBlockedOnFullPipe(writer, ends[0]);
        EXPECT_TRUE(blocked) << "hostWrite did not write again after interruption " << sent;
    }
    EXPECT_EQ(interruptions.load(), 2);

    const std::string received = readInPieces(ends[0], 1000, 0);
    close(ends[0]);
    writer.thread.join();
    EXPECT_EQ(writer.result, 0);
    EXPECT_TRUE(received == bytes) << "received " << received.size() << " of " << bytes.size();
}

// A parent may leave the descriptor non-blocking: a write to the full pipe then fails with EAGAIN
// instead of sleeping. hostWrite must sleep until there is room, also after a signal cuts that
// sleep short, and deliver every byte.
TEST(HostWrite, WaitsForRoomOnANonBlockingDescriptorAndAfterAnInterruptedWait) {
    const ScopedSignal handler(SIGUSR1, countInterruption);
    const ScopedSignal noSigpipe(SIGPIPE, SIG_IGN);
    interruptions.store(0);
    int ends[2];
    ASSERT_TRUE(rmtest::makePipe(ends, kPipeBytes));
    ASSERT_EQ(fcntl(ends[1], F_SETFL, fcntl(ends[1], F_GETFL) | O_NONBLOCK), 0);
    const std::string bytes = pattern(3 * kPipeBytes + 100);
    Writer writer(ends[1], bytes);

    // Asleep, not spinning on EAGAIN and not returned with it.
    bool blocked = waitUntilBlockedOnFullPipe(writer, ends[0]);
    EXPECT_TRUE(blocked) << "hostWrite did not wait for room";
    if (blocked) {
        pthread_kill(writer.thread.native_handle(), SIGUSR1);
        const auto deadline = Clock::now() + kDeadline;
        while (interruptions.load() < 1 && Clock::now() < deadline) {
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(interruptions.load(), 1);
        EXPECT_TRUE(waitUntilBlockedOnFullPipe(writer, ends[0]))
            << "hostWrite did not wait again after the interrupted wait";
    }

    const std::string received = readInPieces(ends[0], 1000, 0);
    close(ends[0]);
    writer.thread.join();
    EXPECT_EQ(writer.result, 0);
    EXPECT_TRUE(received == bytes) << "received " << received.size() << " of " << bytes.size();
}

TEST(HostWrite, ReturnsTheErrorNumberOfAFailedWrite) {
    const ScopedSignal noSigpipe(SIGPIPE, SIG_IGN);
    const char byte = 'x';
    EXPECT_EQ(rm::hostWrite(-1, &byte, 1), EBADF);

    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(rm::hostWrite(full, &byte, 1), ENOSPC);
    close(full);

    int ends[2];
    ASSERT_TRUE(rmtest::makePipe(ends));
    close(ends[0]);
    EXPECT_EQ(rm::hostWrite(ends[1], &byte, 1), EPIPE);
    close(ends[1]);
}

// The reader goes away while the write sleeps with one pipe's worth delivered: write returns that
// short count, and the next write fails. The failure must not be lost behind the short write.
TEST(HostWrite, ReturnsTheErrorOfAFailureAfterPartOfTheBufferWentOut) {
    const ScopedSignal noSigpipe(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_TRUE(rmtest::makePipe(ends, kPipeBytes));
    const std::string bytes = pattern(3 * kPipeBytes);
    Writer writer(ends[1], bytes);
    EXPECT_TRUE(waitUntilBlockedOnFullPipe(writer, ends[0]));
    close(ends[0]);
    writer.thread.join();
    EXPECT_EQ(writer.result, EPIPE);
}

}  // namespace
