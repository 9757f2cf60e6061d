#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace rm::tools {

// An observer of the plain evaluation that writes one line per value, in the order the values
// are formed: the key (the open levels and the value's name, joined by dots), then for a float
// its 8 and for a double its 16 hex digits followed by the shortest decimal that reads back to
// it, and for an integer its decimal value.
struct TraceLog {
    std::string text;
    std::string key;
    std::vector<std::size_t> levels;

    void enter(const char* name, int index = -1);
    void leave();
    void value(const char* name, float v);
    void value(const char* name, double v);
    void value(const char* name, int v);
    template <typename T>
    void value(const char* name, int index, T v) {
        value((name + std::to_string(index)).c_str(), v);
    }
};

// The trace of pixel x of row y (0 is the bottom row), on the process-wide noise objects.
std::string tracePixel(int x, int y);

}  // namespace rm::tools
