#pragma once

#include <string>
#include <vector>

namespace rm::tools {

// One value line of a trace: "key bits decimal" (a float's 8 or a double's 16 hex digits) or
// "key decimal" (an integer).
struct TraceValue {
    std::string key;
    std::string bits;  // empty for an integer
    std::string decimal;
    int line = 0;  // in the file, from 1
};

// A trace as read: its "# name: value" build lines (those before the first value), every other
// line starting with '#', and its values.
struct ParsedTrace {
    std::vector<std::pair<std::string, std::string>> build;
    std::vector<std::string> notes;
    std::vector<TraceValue> values;
};

// Reads a trace's text; false, with the reason, when a line is neither a '#' line nor a value.
bool parseTrace(const std::string& text, ParsedTrace& trace, std::string& error);

// The function, and the file that holds it, forming the value of a key; empty when no entry of
// the table names one.
struct ValueSource {
    std::string function;
    std::string file;
};
ValueSource sourceOf(const std::string& key);

// The distance of two values of one type (their bits), in units in the last place: the number
// of representable values from one to the other. -1 when they are not of one type.
long long unitsInTheLastPlace(const std::string& bitsA, const std::string& bitsB);

// The comparison of a trace made here with one from elsewhere: the report, and the status
// (0 they agree at every value, 1 they differ, 2 they are not traces of the same pixel).
struct Comparison {
    std::string report;
    int status = 2;
};
Comparison compareTraces(const ParsedTrace& here, const ParsedTrace& there,
                         const std::string& thereName);

}  // namespace rm::tools
