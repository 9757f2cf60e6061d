#pragma once

#include <string>

namespace rm::tools {

// Text for one of the process's descriptors, written through the renderer's own write loop
// (rm::hostWrite): short writes, interruptions and a descriptor in non-blocking mode lose nothing.
// The first failed write is kept, and nothing more is written after it.
class Output {
public:
    explicit Output(int descriptor) : descriptor_(descriptor) {}
    Output& operator<<(const std::string& text);
    Output& operator<<(const char* text);
    Output& operator<<(long long v);
    Output& operator<<(int v) { return *this << static_cast<long long>(v); }
    Output& operator<<(long v) { return *this << static_cast<long long>(v); }
    Output& operator<<(std::size_t v) { return *this << static_cast<long long>(v); }
    // Writes what is held; false once any write has failed.
    bool flush();
    // 0, or the error number of the first write that failed.
    int error() const { return error_; }

private:
    int descriptor_;
    int error_ = 0;
    std::string held_;
};

// The status a tool ends with when its report cannot be written to standard output.
constexpr int kStatusOutputFailed = 5;

// Writes what `out` holds and returns `status`; when standard output cannot take it, says so on
// descriptor 2 ("<tool>: cannot write to standard output: <reason>") and returns
// kStatusOutputFailed instead.
int finishOutput(Output& out, const char* tool, int status);

// A file name as it may be printed: every control character (below 0x20, and 0x7f) and every
// backslash written as a backslash escape (\n, \t, \\, \xNN), everything else as it is.
std::string printable(const std::string& name);

}  // namespace rm::tools
