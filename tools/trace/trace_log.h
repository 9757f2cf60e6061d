#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "trace/float_readings.h"

namespace rm::tools {

// An observer of the plain evaluation that writes one line per value, in the order the values
// are formed: the key (the open levels and the value's name, joined by dots), then for a float
// its 8 and for a double its 16 hex digits followed by the shortest decimal that reads back to
// it, and for an integer its decimal value. With noiseTerms it also hears the terms inside the
// gradient noise: the ground's samples and the sky's octaves.
struct TraceLog {
    std::string text;
    std::string key;
    std::vector<std::size_t> levels;
    bool withNoiseTerms = true;

    bool noiseTerms() const { return withNoiseTerms; }
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

struct TraceOptions {
    bool noiseTerms = true;  // the terms inside the gradient noise
    // The floating-point environment as the program started, before it set its own.
    FloatEnvironmentReading atStart = {};
};

// The trace of pixel x of row y (0 is the bottom row), on the process-wide noise objects:
//   - the build lines (buildLines(options.atStart)),
//   - the plain evaluation's values, from column and row to pixel.{blue,green,red},
//   - "# renderer path: <path>", then renderer.pixel.{blue,green,red}: the bytes this build's
//     renderer writes for the pixel, from the row rendered through the core library on the
//     instruction-set path now chosen (rm::simdLevel()), as raymarch renders it,
//   - where those differ from pixel.*, the line kNotExplained and what each side gives.
std::string tracePixel(int x, int y, const TraceOptions& options = {});

// The start of the line that says a trace does not explain this build's image at its pixel.
extern const char kNotExplained[];

}  // namespace rm::tools
