// Writes every value the plain evaluation forms for one pixel, one a line, in the order it forms
// them, between the build lines and the bytes this build's renderer writes for the pixel. Two
// traces of the same pixel compare with --against (or diff, '#' lines aside): the first differing
// value is the first operation that gives other bits.
//
//   raymarch_trace [--no-noise-terms] X Y [--against FILE]
//
// Status: 0 the trace is written (with --against: the traces agree at every value), 1 the traces
// differ, 2 bad arguments or a file that is not a trace of the pixel, 5 standard output cannot
// be written.
#include <string>

#include "common/input_file.h"
#include "common/output.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "scene/scene_setup.h"
#include "trace/trace_compare.h"
#include "trace/trace_log.h"

namespace {

using namespace rm::tools;

constexpr const char* kUsage =
    "usage: raymarch_trace X Y [--against FILE] [--no-noise-terms]\n"
    "  traces the pixel in column X (0-1279, from the left) of row Y (0-1023, row 0 at the\n"
    "  bottom): build lines (# ...), every value the plain evaluation forms, one a line, and the\n"
    "  bytes this build's renderer writes for the pixel (renderer.pixel.*)\n"
    "  --against FILE    trace the pixel here and compare with FILE, a trace of the same pixel\n"
    "                    from another build: the first value that differs, both values, their\n"
    "                    distance in units in the last place, the function that forms it, the\n"
    "                    build lines that differ and the likely cause\n"
    "  --no-noise-terms  leave out the terms inside the gradient noise (the ground's samples and\n"
    "                    the sky's octaves), as traces were before they had them\n"
    "  --                the arguments after it are X and Y\n"
    "  --help            this text\n"
    "status: 0 written (with --against: the traces agree at every value), 1 the traces differ,\n"
    "  2 bad arguments or a file that is not a trace of the pixel, 5 standard output cannot be\n"
    "  written\n";

constexpr int kStatusBad = 2;

// A decimal number of at most four digits and below the limit, or -1.
int parseCoordinate(const std::string& text, int limit) {
    if (text.empty() || text.size() > 4) return -1;
    int v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v < limit ? v : -1;
}

int usage() {
    Output err(2);
    err << kUsage;
    err.flush();
    return kStatusBad;
}

int failure(const std::string& message) {
    Output err(2);
    err << "raymarch_trace: " << message << "\n";
    err.flush();
    return kStatusBad;
}

}  // namespace

int main(int argc, char** argv) {
    // Read what the host left before setting what the renderer needs: the build lines report both.
    const FloatEnvironmentReading atStart = readFloatEnvironment();
    rm::setFloatEnvironment();
    std::string coordinates[2];
    int given = 0;
    std::string againstPath;
    bool against = false;
    TraceOptions options;
    options.atStart = atStart;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--help") {
            Output out(1);
            out << kUsage;
            return finishOutput(out, "raymarch_trace", 0);
        }
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--against" && i + 1 < argc && !against) {
            against = true;
            againstPath = argv[++i];
        } else if (!optionsEnded && argument == "--no-noise-terms") {
            options.noiseTerms = false;
        } else if ((optionsEnded || argument.empty() || argument[0] != '-') && given < 2) {
            coordinates[given++] = argument;
        } else {
            return usage();
        }
    }
    const int x = given == 2 ? parseCoordinate(coordinates[0], rm::kImageWidth) : -1;
    const int y = given == 2 ? parseCoordinate(coordinates[1], rm::kImageHeight) : -1;
    if (x < 0 || y < 0) return usage();

    ParsedTrace there;
    std::string error;
    if (against) {
        std::string text;
        if (!readSmallFile(againstPath, std::size_t{1} << 30, text, error)) return failure(error);
        if (!parseTrace(text, there, error)) {
            return failure(printable(againstPath) + " is not a trace: " + error);
        }
    }

    // The renderer's bytes come from the path raymarch takes on this processor.
    rm::buildScene(rm::bestSimdLevel());
    const std::string trace = tracePixel(x, y, options);

    Output out(1);
    int status = 0;
    if (against) {
        ParsedTrace here;
        if (!parseTrace(trace, here, error)) return failure("the trace made here: " + error);
        const Comparison comparison = compareTraces(here, there, printable(againstPath));
        if (comparison.status == kStatusBad)
            return failure(comparison.report.substr(0, comparison.report.size() - 1));
        out << comparison.report;
        status = comparison.status;
    } else {
        out << trace;
    }
    return finishOutput(out, "raymarch_trace", status);
}
