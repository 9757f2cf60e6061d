// Says where an image parts from the exact one: the differing rows by their hashes, then those
// rows rendered on this machine (and checked against the hashes, so that a machine that does not
// render exactly cannot vouch for anything), compared pixel by pixel. Writes a difference mask
// and ends with the command that traces the first differing pixel.
//
//   raymarch_diff [--mask MASK | --no-mask] [--] IMAGE
//
// Status: see kUsage.
#include <cstring>
#include <string>
#include <vector>

#include "common/exact_rows.h"
#include "common/output.h"
#include "common/sha256.h"
#include "diff/image_difference.h"
#include "diff/tga_file.h"
#include "math/float_environment.h"
#include "render/kernel_table.h"
#include "simd/simd_level.h"

namespace {

using namespace rm::tools;

constexpr const char* kUsage =
    "usage: raymarch_diff IMAGE [--mask MASK | --no-mask]\n"
    "  compares IMAGE, a 1280 x 1024 24-bit TGA (or the first rows of one), with the exact image,\n"
    "  and writes a difference mask\n"
    "  --mask MASK   the mask's name (default, when IMAGE is a regular file: its name with\n"
    "                -mask.tga for .tga); written to a new file, renamed into place once the\n"
    "                report is out, never over IMAGE, a directory, a device or a FIFO\n"
    "  --no-mask     write no mask\n"
    "  --            the argument after it is IMAGE, even if it starts with -\n"
    "  --help        this text\n"
    "status: 0 the image is exact\n"
    "        1 it differs (a mask that cannot be written does not change this)\n"
    "        2 bad arguments, or IMAGE is not the renderer's kind of TGA file\n"
    "        3 this machine does not render exactly, so it cannot vouch for IMAGE\n"
    "        4 IMAGE is incomplete, and every whole row it has is exact\n"
    "        5 standard output cannot be written\n";

constexpr int kStatusExact = 0;
constexpr int kStatusDiffers = 1;
constexpr int kStatusBad = 2;
constexpr int kStatusMachine = 3;
constexpr int kStatusIncomplete = 4;

const char* const kChannelNames[] = {"blue", "green", "red"};

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
    return printable(std::string(argv0, static_cast<std::size_t>(slash - argv0 + 1))) +
           "raymarch_trace";
}

void message(const std::string& text) {
    Output err(2);
    err << "raymarch_diff: " << text << "\n";
    err.flush();
}

int usage() {
    Output err(2);
    err << kUsage;
    err.flush();
    return kStatusBad;
}

std::string pixelLine(const char* label, const std::uint8_t* pixels, int x, int y) {
    const std::uint8_t* p = pixels + static_cast<std::size_t>(y) * kTgaRowBytes + 3 * x;
    char line[96];
    std::snprintf(line, sizeof line, "  %-12s blue %3d  green %3d  red %3d\n", label, p[0], p[1],
                  p[2]);
    return line;
}

// What the image holds, when it is not whole.
std::string extent(const TgaImage& image) {
    std::string text = std::to_string(image.rows) + " of the 1024 rows";
    if (image.cutRowBytes > 0) {
        text += " and " + std::to_string(image.cutRowBytes) + " of the 3840 bytes of row " +
                std::to_string(image.rows) + ", which is not looked at";
    }
    return text;
}

// Ends the report: the status, or kStatusOutputFailed when standard output could not take it.
int finish(Output& out, int status) { return finishOutput(out, "raymarch_diff", status); }

}  // namespace

int main(int argc, char** argv) {
    // This machine's own rows are rendered here as raymarch renders them.
    rm::setFloatEnvironment();
    std::string imagePath;
    std::string maskPath;
    bool haveImage = false;
    bool haveMask = false;
    bool noMask = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--help") {
            Output out(1);
            out << kUsage;
            return finish(out, 0);
        }
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument == "--mask" && i + 1 < argc && !haveMask && !noMask) {
            maskPath = argv[++i];
            haveMask = true;
        } else if (!optionsEnded && argument == "--no-mask" && !haveMask) {
            noMask = true;
        } else if ((optionsEnded || argument.empty() || argument[0] != '-') && !haveImage) {
            imagePath = argument;
            haveImage = true;
        } else {
            return usage();
        }
    }
    if (!haveImage || imagePath.empty() || (haveMask && maskPath.empty())) return usage();
    if (!haveMask) maskPath = defaultMaskPath(imagePath);
    const std::string imageName = printable(imagePath);

    TgaImage image;
    std::string error;
    if (!readTgaImage(imagePath, image, error)) {
        message(error);
        return kStatusBad;
    }
    // A default mask goes beside the image only where the image is a file of its own folder:
    // beside a device, a pipe or a link (/dev/stdin, /dev/fd/3) it would land in /dev or /proc.
    std::string maskRefusal;
    if (!haveMask && !noMask) {
        const std::string kind = notRegularFile(imagePath, image.device, image.inode);
        if (!kind.empty()) {
            maskRefusal = "no default mask for " + imageName + ": it is " + kind +
                          "; a default mask goes beside an image only when the image is a "
                          "regular file: give --mask MASK or --no-mask";
        }
    }

    Output out(1);
    const std::vector<std::string> hashes = rowHashes(image.pixels.data(), image.rows);
    const std::vector<int> rows = differingRows(hashes);
    if (rows.empty()) {
        if (!image.complete()) {
            out << imageName << " is incomplete: it has " << extent(image) << ", and all "
                << image.rows << " whole rows it has are exact; the rows after them are missing\n";
            return finish(out, kStatusIncomplete);
        }
        std::vector<std::uint8_t> file = image.header;
        file.insert(file.end(), image.pixels.begin(), image.pixels.end());
        if (image.trailing == 0 && fileIsExact(file.data(), file.size())) {
            out << imageName << " is the exact image\n";
            return finish(out, kStatusExact);
        }
        out << imageName << " has the exact pixels, but its file differs: " << image.header.size()
            << " header bytes, " << image.trailing << " bytes after the pixels\n";
        return finish(out, kStatusDiffers);
    }
    if (image.complete()) {
        out << imageName << ": " << rows.size() << " of 1024 rows differ from the exact image\n";
    } else {
        out << imageName << " is incomplete: it has " << extent(image) << "; " << rows.size()
            << " of those " << image.rows << " rows differ from the exact image\n";
    }

    // The exact image with its bytes in another order: the renderer was right, a tool after it
    // turned the rows over or swapped the channels.
    switch (findRearrangement(image.pixels.data(), hashes)) {
        case Rearrangement::RowsReversed:
            out << imageName
                << " is the exact image with its rows in reverse order: its first row is the "
                   "picture's top row, although its header says the bottom row comes first. A "
                   "tool that ignores the header's row order turned it over (ImageMagick 6 does); "
                   "the renderer wrote the right bytes\n"
                   "fix: reverse the order of its rows, or check the renderer's own file before "
                   "any tool touches it (ImageMagick 6 reads a TGA top row first: give it -flip "
                   "when it reads the renderer's file)\n";
            return finish(out, kStatusDiffers);
        case Rearrangement::RedBlueSwapped:
            out << imageName
                << (image.complete() ? " is the exact image" : "'s rows are the exact rows")
                << " with red and blue swapped: each pixel holds red, green, blue, where a TGA "
                   "holds blue, green, red. A tool that wrote the channels in the other order made "
                   "it; the renderer wrote the right bytes\n"
                   "fix: swap the first and third byte of every pixel back, or check the "
                   "renderer's own file before any tool touches it\n";
            return finish(out, kStatusDiffers);
        case Rearrangement::Both:
            out << imageName
                << " is the exact image with its rows in reverse order and red and blue swapped: "
                   "a tool that ignores the header's row order and writes the channels in the "
                   "other order made it; the renderer wrote the right bytes\n"
                   "fix: reverse the order of its rows and swap the first and third byte of every "
                   "pixel, or check the renderer's own file before any tool touches it\n";
            return finish(out, kStatusDiffers);
        case Rearrangement::None:
            break;
    }
    // A report that cannot be written ends the run here, before the rows are rendered.
    if (!out.flush()) return finish(out, kStatusDiffers);

    // This machine's own rows, first through the fast path the renderer takes, stopping at the
    // first that is not exact; then the first differing row through the plain evaluation that
    // the traces come from.
    const rm::SimdLevel level = rm::bestSimdLevel();
    const rm::KernelTable& kernels = rm::chooseKernels(level);
    const char* levelName = rm::simdLevelDisplayName(level);
    std::vector<std::uint8_t> exact(kTgaPixelBytes);
    const int wrongRow = renderRowsChecked(kernels, rows, exact.data());
    if (wrongRow >= 0) {
        out << "this machine: the renderer's path (" << levelName
            << ") does NOT give the exact row " << wrongRow << "\n";
        out << "this machine does not render exactly, so it cannot vouch for " << imageName
            << ": run the finder where the tests pass\n";
        return finish(out, kStatusMachine);
    }
    out << "this machine: the renderer's path (" << levelName << ") gives all " << rows.size()
        << " rows exactly\n";
    if (!out.flush()) return finish(out, kStatusDiffers);
    const bool referenceExact = referenceRowIsExact(rows[0]);
    out << "this machine: the plain evaluation (the trace's) "
        << (referenceExact ? "gives the exact" : "does NOT give the exact") << " row " << rows[0]
        << "\n";
    if (!referenceExact) out << "warning: traces taken on this machine are not the exact traces\n";

    const DifferenceSummary s = compareRows(image.pixels.data(), exact.data(), rows);
    out << "first differing pixel: column " << s.firstColumn << ", row " << s.firstRow
        << " (row 0 at the bottom); in the picture x " << s.firstColumn << ", y "
        << kTgaHeight - 1 - s.firstRow << " (from the top-left)\n";
    out << pixelLine("exact:", exact.data(), s.firstColumn, s.firstRow);
    out << pixelLine("this image:", image.pixels.data(), s.firstColumn, s.firstRow);
    out << "differing pixels: " << s.pixels << " in " << s.rows << " rows\n";
    out << "largest channel difference: " << s.largest << " (" << kChannelNames[s.largestChannel]
        << " of column " << s.largestColumn << ", row " << s.largestRow << ")\n";

    // The mask is written in full under a name of its own, and put in place only once the whole
    // report is out: a run that cannot report leaves no mask, and an old mask stays until a
    // complete new one replaces it.
    PendingFile pending;
    bool prepared = false;
    if (!noMask) {
        error = maskRefusal;
        if (error.empty()) {
            const std::vector<std::uint8_t> mask =
                differenceMask(image.pixels.data(), exact.data(), rows);
            prepared =
                prepareTgaImage(maskPath, mask.data(), image.device, image.inode, pending, error);
        }
        if (prepared) {
            out << "difference mask (differing pixels red"
                << (image.complete() ? "" : ", missing rows black") << "): " << printable(maskPath)
                << "\n";
        } else {
            out << "difference mask: none (" << error << ")\n";
            message("no difference mask: " + error);
        }
    }
    out << "trace the first differing pixel, here and on the port, and compare the traces:\n";
    out << traceCommand(argv[0]) << " " << s.firstColumn << " " << s.firstRow << "\n";
    if (!out.flush()) {
        if (prepared) discardFile(pending);
        return finish(out, kStatusDiffers);
    }
    if (prepared && !commitFile(pending, error)) message("no difference mask: " + error);
    return finish(out, kStatusDiffers);
}
