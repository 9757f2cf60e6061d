// Says where an image parts from the exact one: the differing rows by their hashes, then those
// rows rendered on this machine (and checked against the hashes, so that a machine that does not
// render exactly cannot vouch for anything), compared pixel by pixel. Writes a difference mask
// and ends with the command that traces the first differing pixel.
//
//   raymarch_diff IMAGE [--mask MASK]
//
// Status: 0 the image is exact, 1 it differs, 2 bad arguments or input, 3 this machine does not
// render exactly.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/exact_rows.h"
#include "common/sha256.h"
#include "diff/image_difference.h"
#include "diff/tga_file.h"
#include "scene/scene_setup.h"

namespace {

using namespace rm::tools;

constexpr const char* kUsage =
    "usage: raymarch_diff IMAGE [--mask MASK]\n"
    "  compares IMAGE, a 1280 x 1024 24-bit TGA, with the exact image, and writes a difference\n"
    "  mask to MASK (default: IMAGE's name with -mask.tga for .tga)\n";

const char* const kChannelNames[] = {"blue", "green", "red"};
const char* const kLevelNames[rm::kSimdLevelCount] = {"scalar", "AVX2", "AVX-512", "Advanced SIMD",
                                                      "WebAssembly SIMD"};

std::string defaultMaskPath(const std::string& image) {
    const std::string suffix = ".tga";
    const bool tga = image.size() > suffix.size() &&
                     image.compare(image.size() - suffix.size(), suffix.size(), suffix) == 0;
    return (tga ? image.substr(0, image.size() - suffix.size()) : image) + "-mask.tga";
}

// The trace tool beside this program, as this program was started.
std::string traceCommand(const char* argv0) {
    const char* slash = std::strrchr(argv0, '/');
    if (!slash) return "raymarch_trace";
    return std::string(argv0, static_cast<std::size_t>(slash - argv0 + 1)) + "raymarch_trace";
}

int fail(const std::string& message) {
    std::fprintf(stderr, "raymarch_diff: %s\n", message.c_str());
    return 2;
}

void printPixel(const char* label, const std::uint8_t* pixels, int x, int y) {
    const std::uint8_t* p = pixels + static_cast<std::size_t>(y) * 3 * kTgaWidth + 3 * x;
    std::printf("  %-12s blue %3d  green %3d  red %3d\n", label, p[0], p[1], p[2]);
}

}  // namespace

int main(int argc, char** argv) {
    std::string imagePath;
    std::string maskPath;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--mask") && i + 1 < argc && maskPath.empty()) {
            maskPath = argv[++i];
        } else if (argv[i][0] != '-' && imagePath.empty()) {
            imagePath = argv[i];
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (imagePath.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (maskPath.empty()) maskPath = defaultMaskPath(imagePath);

    TgaImage image;
    std::string error;
    if (!readTgaImage(imagePath, image, error)) return fail(error);

    const std::vector<int> rows = differingRows(image.pixels.data());
    if (rows.empty()) {
        std::vector<std::uint8_t> file = image.header;
        file.insert(file.end(), image.pixels.begin(), image.pixels.end());
        if (image.trailing == 0 && sha256Hex(file.data(), file.size()) == kExactFileHash) {
            std::printf("%s is the exact image\n", imagePath.c_str());
            return 0;
        }
        std::printf(
            "%s has the exact pixels, but its file differs: %zu header bytes, %zu bytes "
            "after the pixels\n",
            imagePath.c_str(), image.header.size(), image.trailing);
        return 1;
    }
    std::printf("%s: %zu of 1024 rows differ from the exact image\n", imagePath.c_str(),
                rows.size());

    // This machine's own rows, first through the fast path the renderer takes, then the first
    // differing row through the plain evaluation that the traces come from.
    const rm::SimdLevel level = rm::bestSimdLevel();
    rm::buildScene(level);
    const char* levelName = kLevelNames[static_cast<int>(level)];
    std::vector<std::uint8_t> exact(kTgaPixelBytes);
    const int wrongRow = renderRowsChecked(rows, exact.data());
    const bool referenceExact = referenceRowIsExact(rows[0]);
    if (wrongRow < 0) {
        std::printf("this machine: the renderer's path (%s) gives all %zu rows exactly\n",
                    levelName, rows.size());
    } else {
        std::printf("this machine: the renderer's path (%s) does NOT give the exact row %d\n",
                    levelName, wrongRow);
    }
    std::printf("this machine: the plain evaluation (the trace's) %s row %d\n",
                referenceExact ? "gives the exact" : "does NOT give the exact", rows[0]);
    if (wrongRow >= 0) {
        std::printf(
            "this machine does not render exactly, so it cannot vouch for %s: run the "
            "finder where the tests pass\n",
            imagePath.c_str());
        return 3;
    }
    if (!referenceExact) {
        std::printf("warning: traces taken on this machine are not the exact traces\n");
    }

    const DifferenceSummary s = compareRows(image.pixels.data(), exact.data(), rows);
    std::printf(
        "first differing pixel: column %d, row %d (row 0 at the bottom); in the picture "
        "x %d, y %d (from the top-left)\n",
        s.firstColumn, s.firstRow, s.firstColumn, kTgaHeight - 1 - s.firstRow);
    printPixel("exact:", exact.data(), s.firstColumn, s.firstRow);
    printPixel("this image:", image.pixels.data(), s.firstColumn, s.firstRow);
    std::printf("differing pixels: %ld in %d rows\n", s.pixels, s.rows);
    std::printf("largest channel difference: %d (%s of column %d, row %d)\n", s.largest,
                kChannelNames[s.largestChannel], s.largestColumn, s.largestRow);

    const std::vector<std::uint8_t> mask = differenceMask(image.pixels.data(), exact.data(), rows);
    if (!writeTgaImage(maskPath, mask.data(), error)) return fail(error);
    std::printf("difference mask (differing pixels red): %s\n", maskPath.c_str());
    std::printf("trace the first differing pixel, here and on the port, and diff the traces:\n");
    std::printf("%s %d %d\n", traceCommand(argv[0]).c_str(), s.firstColumn, s.firstRow);
    return 1;
}
