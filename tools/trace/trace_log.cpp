#include "trace/trace_log.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "math/float_bits.h"
#include "reference/trace.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "simd/simd_level.h"
#include "trace/build_lines.h"

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

std::string bytesText(const PixelBytes& p) {
    return "blue " + std::to_string(p.blue) + ", green " + std::to_string(p.green) + ", red " +
           std::to_string(p.red);
}

}  // namespace

const char kNotExplained[] = "# NOT EXPLAINED:";

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

std::string tracePixel(int x, int y, const TraceOptions& options) {
    TraceLog log;
    log.withNoiseTerms = options.noiseTerms;
    log.text = buildLines(options.atStart);
    log.value("column", x);
    log.value("row", y);
    const PixelBytes plain = reference::shadePixel(log, x, y);

    // The renderer's own bytes: the whole row through the core library, as raymarch renders it.
    static std::uint8_t row[kRowBytes];
    renderRow(y, row);
    const PixelBytes rendered = {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    const char* path = simdLevelName(simdLevel());
    log.text += "# renderer path: ";
    log.text += path;
    log.text += '\n';
    log.value("renderer.pixel.blue", int{rendered.blue});
    log.value("renderer.pixel.green", int{rendered.green});
    log.value("renderer.pixel.red", int{rendered.red});
    if (rendered.blue != plain.blue || rendered.green != plain.green || rendered.red != plain.red) {
        log.text += kNotExplained;
        log.text += " this trace does not explain this build's image at this pixel: its renderer (";
        log.text += path;
        log.text += " path) writes " + bytesText(rendered) +
                    ", the plain evaluation traced above gives " + bytesText(plain) + "\n";
    }
    return log.text;
}

}  // namespace rm::tools
