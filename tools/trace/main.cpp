// Writes every value the plain evaluation forms for one pixel, one a line, in the order it forms
// them. Two traces of the same pixel compare with diff: the first differing line is the first
// operation that gives other bits.
//
//   raymarch_trace X Y    X the column from the left (0-1279), Y the row from the bottom (0-1023)
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "render/camera.h"
#include "scene/scene_setup.h"
#include "trace/trace_log.h"

namespace {

// A decimal number of at most four digits and below the limit, or -1.
int parseCoordinate(const char* text, int limit) {
    const std::size_t length = std::strlen(text);
    if (length == 0 || length > 4) return -1;
    int v = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        v = v * 10 + (text[i] - '0');
    }
    return v < limit ? v : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int x = argc == 3 ? parseCoordinate(argv[1], rm::kImageWidth) : -1;
    const int y = argc == 3 ? parseCoordinate(argv[2], rm::kImageHeight) : -1;
    if (x < 0 || y < 0) {
        std::fprintf(stderr,
                     "usage: raymarch_trace X Y\n"
                     "  traces the pixel in column X (0-1279, from the left) of row Y (0-1023, "
                     "row 0 at the bottom)\n");
        return 2;
    }
    rm::buildScene(rm::SimdLevel::Scalar);
    const std::string trace = rm::tools::tracePixel(x, y);
    if (std::fwrite(trace.data(), 1, trace.size(), stdout) != trace.size() ||
        std::fflush(stdout) != 0) {
        std::fprintf(stderr, "raymarch_trace: write error: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
