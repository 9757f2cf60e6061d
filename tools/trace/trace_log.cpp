#include "trace/trace_log.h"

#include <charconv>
#include <cstdio>

#include "math/float_bits.h"
#include "reference/trace.h"

namespace rm::tools {
namespace {

template <typename T>
void appendDecimal(std::string& text, T v) {
    char digits[64];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, v);
    text.append(digits, end.ptr);
}

// One line: the key, the value's name, its bit pattern between spaces (or one space) and its
// decimal.
template <typename T>
void appendLine(std::string& text, const std::string& key, const char* name, const char* bits,
                T v) {
    text += key;
    text += name;
    text += bits;
    appendDecimal(text, v);
    text += '\n';
}

}  // namespace

void TraceLog::enter(const char* name, int index) {
    levels.push_back(key.size());
    key += name;
    if (index >= 0) key += std::to_string(index);
    key += '.';
}

void TraceLog::leave() {
    key.resize(levels.back());
    levels.pop_back();
}

void TraceLog::value(const char* name, float v) {
    char bits[16];
    std::snprintf(bits, sizeof bits, " %08x ", static_cast<unsigned>(floatBits(v)));
    appendLine(text, key, name, bits, v);
}

void TraceLog::value(const char* name, double v) {
    char bits[24];
    std::snprintf(bits, sizeof bits, " %016llx ", static_cast<unsigned long long>(doubleBits(v)));
    appendLine(text, key, name, bits, v);
}

void TraceLog::value(const char* name, int v) { appendLine(text, key, name, " ", v); }

std::string tracePixel(int x, int y) {
    TraceLog log;
    log.value("column", x);
    log.value("row", y);
    reference::shadePixel(log, x, y);
    return log.text;
}

}  // namespace rm::tools
