// Renders one whole frame through the core library on a chosen instruction-set path and prints
// the path, the CPU and wall time of the rendering and the SHA-256 of the TGA file it makes, so
// that the paths can be timed side by side (scripts/time-paths). The raymarch executable itself
// takes no arguments and always runs the best path.
//
//   raymarch_frame [--simd scalar|avx2|avx512|neon]
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/tga_header.h"
#include "common/sha256.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "simd/simd_level.h"

namespace {

std::uint8_t file[rm::kTgaHeaderSize + rm::kImageHeight * rm::kRowBytes];
rm::RowWorkspace work;

}  // namespace

int main(int argc, char** argv) {
    rm::setFloatEnvironment();
    rm::SimdLevel level = rm::bestSimdLevel();
    const bool chosen =
        argc == 3 && !std::strcmp(argv[1], "--simd") && rm::simdLevelFromName(argv[2], level);
    if (argc != 1 && !chosen) {
        std::fprintf(stderr, "usage: %s [--simd scalar|avx2|avx512|neon]\n", argv[0]);
        return 2;
    }
    if (!rm::setSimdLevel(level)) {
        std::fprintf(stderr, "raymarch_frame: this processor lacks %s\n", rm::simdLevelName(level));
        return 3;
    }

    const rm::TgaHeader header = rm::makeTgaHeader();
    std::memcpy(file, header.bytes, rm::kTgaHeaderSize);
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (int y = 0; y < rm::kImageHeight; ++y)
        rm::renderRow(y, file + rm::kTgaHeaderSize + y * rm::kRowBytes, work);
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s %.3f %.3f %s\n", rm::simdLevelName(level), cpuSeconds, seconds,
                rm::tools::sha256Hex(file, sizeof file).c_str());
    return 0;
}
