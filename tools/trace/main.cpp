// Writes every value the plain evaluation forms for one pixel, one a line, in the order it forms
// them, between the build lines and the bytes this build's renderer writes for the pixel. Two
// traces of the same pixel compare with --against (or diff, '#' lines aside): the first differing
// value is the first operation that gives other bits.
//
//   raymarch_trace [--no-noise-terms] [--every-capsule] X Y [--against FILE]
//
// Status: 0 the trace is written (with --against: the traces agree at every value), 1 the traces
// differ, 2 bad arguments or a file that is not a trace of the pixel, 5 standard output cannot
// be written.
#include <string>

#include "common/input_file.h"
#include "common/output.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "simd/simd_level.h"
#include "trace/trace_compare.h"
#include "trace/trace_log.h"
#include "trace/trace_reader.h"

namespace {

using namespace rm::tools;

constexpr const char* kUsage =
    "usage: raymarch_trace X Y [--against FILE] [--no-noise-terms] [--every-capsule]\n"
    "  traces the pixel in column X (0-1279, from the left) of row Y (0-1023, row 0 at the\n"
    "  bottom): build lines (# ...), every value the plain evaluation forms, one operation a\n"
    "  line, and the bytes this build's renderer writes for the pixel (renderer.pixel.*)\n"
    "  --against FILE    trace the pixel here as FILE was traced and compare: the first value\n"
    "                    that differs, the operation that forms it, its operands and both\n"
    "                    results, the correctly rounded result, the build lines that differ and\n"
    "                    the likely cause, where the other build's probes single one out\n"
    "  --no-noise-terms  leave out the operations inside the gradient noise (the ground's\n"
    "                    samples and the sky's octaves)\n"
    "  --every-capsule   trace every capsule of the sculpture, not only the nearest\n"
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
    bool optionsGiven = false;
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
            optionsGiven = true;
        } else if (!optionsEnded && argument == "--every-capsule") {
            options.everyCapsule = true;
            optionsGiven = true;
        } else if ((optionsEnded || argument.empty() || argument[0] != '-') && given < 2) {
            coordinates[given++] = argument;
        } else {
            return usage();
        }
    }
    const int x = given == 2 ? parseCoordinate(coordinates[0], rm::kImageWidth) : -1;
    const int y = given == 2 ? parseCoordinate(coordinates[1], rm::kImageHeight) : -1;
    if (x < 0 || y < 0) return usage();

    // The renderer's bytes come from the path raymarch takes on this processor.
    const rm::KernelTable& kernels = rm::chooseKernels(rm::bestSimdLevel());

    Output out(1);
    if (!against) {
        out << tracePixel(kernels, x, y, options);
        return finishOutput(out, "raymarch_trace", 0);
    }

    // The other trace is read as it is compared, line by line, and traced here as it was there.
    InputFile file;
    std::string error;
    if (!file.open(againstPath, error)) return failure(error);
    const std::string name = printable(againstPath);
    TraceReader reader([&file](char* into, std::size_t size, std::string& readError) {
        std::size_t got = 0;
        if (!file.read(reinterpret_cast<std::uint8_t*>(into), size, got, readError)) return -1LL;
        return static_cast<long long>(got);
    });
    TraceHeader header;
    if (!readTraceHeader(reader, header, error)) return failure(name + " is not a trace: " + error);
    if (optionsGiven && (options.noiseTerms != header.options.noiseTerms ||
                         options.everyCapsule != header.options.everyCapsule)) {
        return failure(name + " was traced " + (header.options.noiseTerms ? "with" : "without") +
                       " the noise terms and " +
                       (header.options.everyCapsule ? "every capsule" : "the nearest capsule") +
                       ": give the options it was made with, or none");
    }
    header.options.atStart = atStart;
    const TraceLog here = tracePixelLog(kernels, x, y, header.options);
    const Comparison comparison = compareTraces(here, header, reader, name);
    if (comparison.status == kStatusBad)
        return failure(comparison.report.substr(0, comparison.report.size() - 1));
    out << comparison.report;
    return finishOutput(out, "raymarch_trace", comparison.status);
}
