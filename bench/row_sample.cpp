// Renders a spread of rows through the core library, times them and checks each row against the
// exact image's row hashes: a quick representative run while working on the renderer, and the
// golden-row check of every cross-built target, where it runs under an emulator.
//
//   raymarch_rows [--every N] [--first N] [--rows LIST] [--simd PATH] [--flip ROW] [--each]
//   raymarch_rows --list-paths
//
// LIST is rows and inclusive ranges, e.g. 0-31,105,576: the rows it names replace --first/--every.
// --each prints every row's CPU time. --flip changes one byte of that row after it is rendered,
// so that the check is seen to fail. PATH is one of the instruction-set paths of the build
// (bench/path_choice.h); --list-paths prints those this processor runs.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "common/exact_rows.h"
#include "math/float_environment.h"
#include "path_choice.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/render_row.h"
#include "simd/simd_level.h"

namespace {

// Parses "A", "A-B" and comma-separated lists of them into rows of the image; false for anything
// else, a row outside the image or a range that runs backwards.
bool parseRowList(const char* text, std::vector<int>& rows) {
    const char* p = text;
    for (;;) {
        char* end = nullptr;
        if (*p < '0' || *p > '9') return false;
        const long from = std::strtol(p, &end, 10);
        long to = from;
        p = end;
        if (*p == '-') {
            ++p;
            if (*p < '0' || *p > '9') return false;
            to = std::strtol(p, &end, 10);
            p = end;
        }
        if (from > to || to >= rm::kImageHeight) return false;
        for (long y = from; y <= to; ++y)
            rows.push_back(static_cast<int>(y));
        if (*p == '\0') return true;
        if (*p++ != ',') return false;
    }
}

constexpr const char* kUsage =
    "usage: %s [--every N] [--first N] [--rows LIST] [--simd %s] [--flip ROW] [--each]\n"
    "       %s --list-paths\n";

constexpr const char* kHelp =
    "Renders rows through the core library (every 16th from row 0 by default; LIST is rows\n"
    "and ranges such as 0-31,105,576), checks each against the exact image's row hashes\n"
    "compiled in from tests/golden-rows.txt and prints the rows that differ, then the path,\n"
    "the rows, the wall and CPU time and a frame estimate. --each prints every row's CPU\n"
    "time; --flip changes one byte of ROW once rendered, to see a difference reported.\n"
    "Status: 0 every row exact, 1 a row differs, 2 bad arguments.\n";

}  // namespace

int main(int argc, char** argv) {
    rm::setFloatEnvironment();
    int every = 16;
    int first = 0;
    std::vector<int> listed;
    bool each = false;
    int flip = -1;
    rm::SimdLevel level = rm::bestSimdLevel();
    if (argc == 2 && !std::strcmp(argv[1], "--list-paths")) return rmbench::listPaths();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::printf(kUsage, argv[0], rmbench::simdChoices().c_str(), argv[0]);
            std::fputs(kHelp, stdout);
            return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 5;
        }
        if (!std::strcmp(argv[i], "--every") && i + 1 < argc) {
            every = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--first") && i + 1 < argc) {
            first = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--simd") && i + 1 < argc) {
            if (!rm::simdLevelFromName(argv[++i], level)) {
                std::fprintf(stderr, "raymarch_rows: --simd takes %s\n",
                             rmbench::simdChoices().c_str());
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--rows") && i + 1 < argc) {
            if (!parseRowList(argv[++i], listed)) {
                std::fprintf(stderr,
                             "raymarch_rows: --rows takes rows and ranges such as 0-31,576, "
                             "each below %d\n",
                             rm::kImageHeight);
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--flip") && i + 1 < argc) {
            std::vector<int> flipped;
            if (!parseRowList(argv[++i], flipped) || flipped.size() != 1) {
                std::fprintf(stderr, "raymarch_rows: --flip takes one row below %d\n",
                             rm::kImageHeight);
                return 2;
            }
            flip = flipped[0];
        } else if (!std::strcmp(argv[i], "--each")) {
            each = true;
        } else {
            std::fprintf(stderr, kUsage, argv[0], rmbench::simdChoices().c_str(), argv[0]);
            return 2;
        }
    }
    if (every < 1 || first < 0 || first >= rm::kImageHeight) {
        std::fprintf(stderr, "raymarch_rows: --every must be at least 1, --first a row\n");
        return 2;
    }
    const rm::KernelTable& kernels = rm::chooseKernels(level);
    if (kernels.level != level) {
        std::fprintf(stderr, "raymarch_rows: this processor lacks the requested instruction set\n");
        return 2;
    }

    if (listed.empty()) {
        for (int y = first; y < rm::kImageHeight; y += every)
            listed.push_back(y);
    }
    static std::uint8_t row[rm::kRowBytes];
    static rm::RowWorkspace work;
    int rows = 0;
    int wrong = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (const int y : listed) {
        const std::clock_t rowStart = each ? std::clock() : 0;
        rm::renderRow(kernels, y, row, work);
        ++rows;
        if (y == flip) row[0] ^= 1;
        const bool differs = !rm::tools::rowIsExact(y, row);
        wrong += differs ? 1 : 0;
        if (differs && !each) {
            std::printf("row %d differs\n", y);
        } else if (each) {
            std::printf("row %d %s in %.3f s CPU\n", y, differs ? "differs" : "exact",
                        static_cast<double>(std::clock() - rowStart) / CLOCKS_PER_SEC);
        }
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // CPU time is what a frame costs; wall time also counts what else the machine is doing.
    std::printf(
        "%s: %d rows in %.3f s wall, %.3f s CPU, %.2f ms CPU per row, "
        "frame estimate %.2f s\n",
        rm::simdLevelName(level), rows, seconds, cpuSeconds, 1000.0 * cpuSeconds / rows,
        cpuSeconds / rows * rm::kImageHeight);
    std::printf("%d passed, %d failed\n", rows - wrong, wrong);
    return wrong == 0 ? 0 : 1;
}
