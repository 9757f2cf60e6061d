#include "diff/image_difference.h"

#include <cstdlib>
#include <memory>

#include "common/exact_rows.h"
#include "common/sha256.h"
#include "diff/tga_file.h"
#include "reference/trace.h"
#include "render/camera.h"
#include "render/render_row.h"

namespace rm::tools {

std::vector<std::string> rowHashes(const std::uint8_t* pixels, int rows) {
    std::vector<std::string> hashes;
    for (int y = 0; y < rows; ++y)
        hashes.push_back(sha256Hex(pixels + static_cast<std::size_t>(y) * kRowBytes, kRowBytes));
    return hashes;
}

std::vector<int> differingRows(const std::vector<std::string>& hashes) {
    std::vector<int> rows;
    for (int y = 0; y < static_cast<int>(hashes.size()); ++y)
        if (hashes[y] != exactRowHash(y)) rows.push_back(y);
    return rows;
}

Rearrangement findRearrangement(const std::uint8_t* pixels,
                                const std::vector<std::string>& hashes) {
    const int rows = static_cast<int>(hashes.size());
    bool reversed = rows == kImageHeight;
    bool swapped = true;
    bool both = rows == kImageHeight;
    std::uint8_t row[kRowBytes];
    for (int y = 0; y < rows && (reversed || swapped || both); ++y) {
        if (reversed && hashes[y] != exactRowHash(kImageHeight - 1 - y)) reversed = false;
        if (!swapped && !both) continue;
        const std::uint8_t* source = pixels + static_cast<std::size_t>(y) * kRowBytes;
        for (std::size_t i = 0; i < kRowBytes; i += 3) {
            row[i] = source[i + 2];
            row[i + 1] = source[i + 1];
            row[i + 2] = source[i];
        }
        const std::string hash = sha256Hex(row, kRowBytes);
        if (swapped && hash != exactRowHash(y)) swapped = false;
        if (both && hash != exactRowHash(kImageHeight - 1 - y)) both = false;
    }
    if (reversed) return Rearrangement::RowsReversed;
    if (swapped) return Rearrangement::RedBlueSwapped;
    if (both) return Rearrangement::Both;
    return Rearrangement::None;
}

int renderRowsChecked(const KernelTable& kernels, const std::vector<int>& rows,
                      std::uint8_t* frame) {
    const std::unique_ptr<RowWorkspace> work = std::make_unique<RowWorkspace>();
    for (const int y : rows) {
        std::uint8_t* row = frame + static_cast<std::size_t>(y) * kRowBytes;
        renderRow(kernels, y, row, *work);
        if (!rowIsExact(y, row)) return y;
    }
    return -1;
}

bool referenceRowIsExact(int y) {
    std::uint8_t row[kRowBytes];
    for (int x = 0; x < kImageWidth; ++x) {
        const PixelBytes px = reference::shadePixel(x, y);
        row[3 * x] = px.blue;
        row[3 * x + 1] = px.green;
        row[3 * x + 2] = px.red;
    }
    return rowIsExact(y, row);
}

DifferenceSummary compareRows(const std::uint8_t* image, const std::uint8_t* exact,
                              const std::vector<int>& rows) {
    DifferenceSummary s;
    for (const int y : rows) {
        bool rowDiffers = false;
        for (int x = 0; x < kImageWidth; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * kRowBytes + 3 * x;
            bool pixelDiffers = false;
            for (int c = 0; c < 3; ++c) {
                const int d = std::abs(image[at + c] - exact[at + c]);
                if (d == 0) continue;
                pixelDiffers = true;
                if (d > s.largest) {
                    s.largest = d;
                    s.largestColumn = x;
                    s.largestRow = y;
                    s.largestChannel = c;
                }
            }
            if (!pixelDiffers) continue;
            if (s.firstRow < 0) {
                s.firstRow = y;
                s.firstColumn = x;
            }
            ++s.pixels;
            rowDiffers = true;
        }
        if (rowDiffers) ++s.rows;
    }
    return s;
}

std::vector<std::uint8_t> differenceMask(const std::uint8_t* image, const std::uint8_t* exact,
                                         const std::vector<int>& rows) {
    std::vector<std::uint8_t> mask(image, image + kTgaPixelBytes);
    for (std::uint8_t& b : mask)
        b = static_cast<std::uint8_t>(b / 3);
    for (const int y : rows) {
        for (int x = 0; x < kImageWidth; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * kRowBytes + 3 * x;
            if (image[at] == exact[at] && image[at + 1] == exact[at + 1] &&
                image[at + 2] == exact[at + 2]) {
                continue;
            }
            mask[at] = 0;
            mask[at + 1] = 0;
            mask[at + 2] = 255;
        }
    }
    return mask;
}

}  // namespace rm::tools
