// Renders one whole frame through the core library on a chosen instruction-set path and prints
// one labelled line: the path, the CPU and wall time of the rendering and the SHA-256 of the TGA
// file it makes, last, so that the paths can be timed side by side (scripts/time-paths). The
// raymarch executable itself takes no arguments and always runs the best path.
//
//   raymarch_frame [--simd PATH]   (a path of bench/path_choice.h)
//   raymarch_frame --list-paths    (the paths this build has and this processor runs)
//   scalar: 18.412 s CPU, 18.415 s wall, SHA-256 a342819b...
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/tga_header.h"
#include "common/sha256.h"
#include "math/float_environment.h"
#include "path_choice.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/render_row.h"
#include "simd/simd_level.h"

namespace {

std::uint8_t file[rm::kTgaHeaderSize + rm::kImageHeight * rm::kRowBytes];
rm::RowWorkspace work;

constexpr const char* kHelp =
    "Renders one whole frame in memory on the chosen path (default: the best this processor\n"
    "has) and prints one line: the path, the CPU and wall time of the rendering, and the\n"
    "SHA-256 of the TGA file, last:\n"
    "  scalar: 18.412 s CPU, 18.415 s wall, SHA-256 a342819b...\n"
    "Status: 0 rendered (compare the SHA-256 with the exact image's), 2 bad arguments,\n"
    "3 this processor lacks the path, 5 standard output cannot be written.\n";

}  // namespace

int main(int argc, char** argv) {
    rm::setFloatEnvironment();
    if (argc == 2 && !std::strcmp(argv[1], "--list-paths")) return rmbench::listPaths();
    rm::SimdLevel level = rm::bestSimdLevel();
    if (argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf("usage: %s [--simd %s]\n       %s --list-paths\n%s", argv[0],
                    rmbench::simdChoices().c_str(), argv[0], kHelp);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 5;
    }
    const bool chosen =
        argc == 3 && !std::strcmp(argv[1], "--simd") && rm::simdLevelFromName(argv[2], level);
    if (argc != 1 && !chosen) {
        std::fprintf(stderr, "usage: %s [--simd %s]\n       %s --list-paths\n", argv[0],
                     rmbench::simdChoices().c_str(), argv[0]);
        return 2;
    }
    const rm::KernelTable& kernels = rm::chooseKernels(level);
    if (kernels.level != level) {
        std::fprintf(stderr, "raymarch_frame: this processor lacks %s\n", rm::simdLevelName(level));
        return 3;
    }

    const rm::TgaHeader header = rm::makeTgaHeader();
    std::memcpy(file, header.bytes, rm::kTgaHeaderSize);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int y = 0; y < rm::kImageHeight; ++y)
        rm::renderRow(kernels, y, file + rm::kTgaHeaderSize + y * rm::kRowBytes, work);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %.3f s CPU, %.3f s wall, SHA-256 %s\n", rm::simdLevelName(level), cpuSeconds,
                seconds, rm::tools::sha256Hex(file, sizeof file).c_str());
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 5;
}
