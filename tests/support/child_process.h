#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace rmtest {

// What a child process left behind: its two output streams and how it ended.
struct ChildResult {
    std::string out;
    std::string err;
    bool exited = false;  // ended through exit rather than a signal
    int status = -1;      // exit status, or the signal number when !exited
};

// Changes to a captured child: a descriptor of the parent to be its descriptor 1 instead of the
// capturing pipe (-1: captured), limits to its address space (RLIMIT_AS) and to the size of the
// files it writes (RLIMIT_FSIZE, with SIGXFSZ ignored, so that a write past it fails with EFBIG),
// in bytes, 0 for none, and its environment ("NAME=value" entries; empty by default).
struct RunOptions {
    int out = -1;
    unsigned long long addressSpace = 0;
    unsigned long long fileSize = 0;
    std::vector<std::string> environment = {};
};

// Runs the program with the arguments (none by default) and the options' environment, capturing
// descriptors 1 and 2.
ChildResult runCaptured(const std::string& program, const std::vector<std::string>& arguments = {},
                        const RunOptions& options = {});

// How to start a child: which of the parent's descriptors become its descriptors 1 and 2 (-1
// leaves that descriptor closed in the child) and whether it starts with SIGPIPE ignored rather
// than at the default disposition. Every other signal starts unblocked at its default.
struct ChildSetup {
    int out = -1;
    int err = -1;
    bool ignoreSigpipe = false;
};

// Starts the program with the arguments and the environment ("NAME=value" entries), both empty by
// default; returns its process id, or -1. Descriptors that the parent opened with O_CLOEXEC do
// not reach the child.
pid_t startChild(const std::string& program, const ChildSetup& setup,
                 const std::vector<std::string>& arguments = {},
                 const std::vector<std::string>& environment = {});

// How a waited-for child ended.
struct ChildEnd {
    bool timedOut = false;  // still running at the deadline, then killed
    bool exited = false;    // ended through exit rather than a signal
    int status = -1;        // exit status, or the signal number when !exited
};

// Waits for the child until the deadline, then kills it with SIGKILL and reaps it.
ChildEnd waitChild(pid_t pid, std::chrono::steady_clock::time_point deadline);

// Reads the descriptor to its end into `into`; returns false when the deadline comes first.
bool readToEnd(int fd, std::string& into, std::chrono::steady_clock::time_point deadline);

// The scheduler state of a process or thread of this machine, as /proc shows it: 'S' while it
// sleeps in a blocked call, 'R' while it runs, 'Z' once it has ended; '?' when it cannot be read.
char schedulerState(pid_t id);

// Creates a pipe with both ends close-on-exec and, when capacity > 0, that capacity in bytes.
// Returns false when either fails.
bool makePipe(int ends[2], int capacity = 0);

}  // namespace rmtest
