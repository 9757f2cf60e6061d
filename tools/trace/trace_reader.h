#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "trace/trace_log.h"

namespace rm::tools {

// Reads a trace line by line, in memory bounded by the longest line allowed, from any source of
// bytes: a file, a pipe or a text. A line ends at "\n" or "\r\n"; blanks at its end are not part
// of it, so a trace copied through another system reads as the same trace.
class TraceReader {
public:
    // Fills up to `size` bytes; returns how many (0 at the end), or -1 with `error` set.
    using Source = std::function<long long(char* into, std::size_t size, std::string& error)>;
    static constexpr std::size_t kLongestLine = 64 * 1024;

    explicit TraceReader(Source source) : source_(std::move(source)) {}
    // The next line; false at the end of the input or on an error (then error() says which).
    bool next(std::string& line);
    int lineNumber() const { return lineNumber_; }
    const std::string& error() const { return error_; }

private:
    Source source_;
    std::vector<char> buffer_ = std::vector<char>(kLongestLine + 1);
    std::size_t start_ = 0;
    std::size_t end_ = 0;
    bool ended_ = false;
    int lineNumber_ = 0;
    std::string error_;
};

// A reader of a text held in memory.
TraceReader::Source textSource(std::string text);

// One value line as read: "key bits decimal" (a float's 8 or a double's 16 hex digits) or
// "key decimal" (an integer).
struct TraceValue {
    std::string key;
    std::string bits;  // empty for an integer
    std::string decimal;
    int line = 0;  // in the file, from 1
};

// Reads a value line; false when it is not one.
bool parseValueLine(const std::string& line, TraceValue& value);

// The lines of a trace before its first value: the build lines ("# name: value"), the other
// '#' lines, the options it was made with, and its first value.
struct TraceHeader {
    std::vector<std::pair<std::string, std::string>> build;
    TraceOptions options;
    bool hasFirstValue = false;
    TraceValue firstValue;
};

// Reads up to and including the first value line; false, with the reason, when a line is
// neither a '#' line nor a value, or the input cannot be read.
bool readTraceHeader(TraceReader& reader, TraceHeader& header, std::string& error);

// The value of the build line `name`, or "" where there is none.
std::string buildValue(const TraceHeader& header, const std::string& name);

}  // namespace rm::tools
