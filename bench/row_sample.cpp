// Renders a spread of rows through the core library, times them and checks each row against the
// exact image's row hashes: a quick representative run while working on the renderer.
//
//   raymarch_rows [--every N] [--first N] [--simd scalar|avx2|avx512|neon] [--golden FILE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "common/sha256.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "scene/scene_setup.h"
#include "support/golden_rows.h"

#ifndef RAYMARCH_GOLDEN_ROWS
#define RAYMARCH_GOLDEN_ROWS "tests/golden-rows.txt"
#endif

int main(int argc, char** argv) {
    int every = 16;
    int first = 0;
    std::string golden = RAYMARCH_GOLDEN_ROWS;
    rm::SimdLevel level = rm::bestSimdLevel();
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--every") && i + 1 < argc) {
            every = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--first") && i + 1 < argc) {
            first = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--simd") && i + 1 < argc) {
            if (!rm::simdLevelFromName(argv[++i], level)) {
                std::fprintf(stderr, "raymarch_rows: --simd takes scalar, avx2, avx512 or neon\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--golden") && i + 1 < argc) {
            golden = argv[++i];
        } else {
            std::fprintf(stderr,
                         "usage: %s [--every N] [--first N] [--simd scalar|avx2|avx512|neon] "
                         "[--golden FILE]\n",
                         argv[0]);
            return 2;
        }
    }
    if (every < 1 || first < 0 || first >= rm::kImageHeight) {
        std::fprintf(stderr, "raymarch_rows: --every must be at least 1, --first a row\n");
        return 2;
    }
    rmtest::GoldenImage image;
    if (!rmtest::loadGoldenImage(golden, image)) {
        std::fprintf(stderr, "raymarch_rows: cannot read golden rows from %s\n", golden.c_str());
        return 2;
    }

    if (!rm::buildScene(level)) {
        std::fprintf(stderr, "raymarch_rows: this processor lacks the requested instruction set\n");
        return 2;
    }

    static std::uint8_t row[rm::kRowBytes];
    int rows = 0;
    int wrong = 0;
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int y = first; y < rm::kImageHeight; y += every) {
        rm::renderRow(y, row);
        ++rows;
        if (rm::tools::sha256Hex(row, sizeof row) != image.rowHashes[y]) {
            ++wrong;
            std::printf("row %d differs\n", y);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // CPU time is what a frame costs; wall time also counts what else the machine is doing.
    std::printf(
        "%s: %d rows (every %d from %d) in %.3f s wall, %.3f s CPU, %.2f ms CPU per row, "
        "frame estimate %.2f s\n",
        rm::simdLevelName(level), rows, every, first, seconds, cpuSeconds,
        1000.0 * cpuSeconds / rows, cpuSeconds / rows * rm::kImageHeight);
    std::printf("%d passed, %d failed\n", rows - wrong, wrong);
    return wrong == 0 ? 0 : 1;
}
