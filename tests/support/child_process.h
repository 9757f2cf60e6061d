#pragma once

#include <string>

namespace rmtest {

// What a child process left behind: its two output streams and how it ended.
struct ChildResult {
    std::string out;
    std::string err;
    bool exited = false;  // ended through exit rather than a signal
    int status = -1;      // exit status, or the signal number when !exited
};

// Runs the program with no arguments and an empty environment, capturing descriptors 1 and 2.
ChildResult runCaptured(const std::string& program);

}  // namespace rmtest
