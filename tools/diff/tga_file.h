#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rm::tools {

constexpr int kTgaWidth = 1280;
constexpr int kTgaHeight = 1024;
constexpr std::size_t kTgaRowBytes = 3 * kTgaWidth;
constexpr std::size_t kTgaPixelBytes = kTgaRowBytes * kTgaHeight;
// The most bytes after the pixels that an image of the renderer's format may carry (a TGA 2.0
// footer and extension area take less than 1 KiB).
constexpr std::size_t kTgaTrailerLimit = 65536;

// An image in the renderer's format: 1280 x 1024 pixels of blue, green, red, bottom row first;
// possibly cut short, after at least one whole row.
struct TgaImage {
    std::vector<std::uint8_t> header;  // the 18 header bytes and the image id, if any
    std::vector<std::uint8_t> pixels;  // kTgaPixelBytes; the rows after `rows` are zero
    int rows = 0;                      // whole rows present: kTgaHeight unless cut short
    std::size_t cutRowBytes = 0;       // bytes of the row after them, when cut inside a row
    std::size_t trailing = 0;          // bytes after the pixels (a TGA 2.0 footer, say)
    unsigned long long device = 0;     // the file's device and inode
    unsigned long long inode = 0;
    bool complete() const { return rows == kTgaHeight; }
};

// Reads a TGA file of the renderer's format, the 18-byte header first, and never more than the
// image and kTgaTrailerLimit bytes after it; on any other file, false and what is wrong with it
// (names printed with control characters escaped). A file cut short after at least one whole
// row is read as far as it goes.
bool readTgaImage(const std::string& path, TgaImage& image, std::string& error);

// Writes the pixels (kTgaPixelBytes) under the renderer's own header to a new file beside `path`,
// then renames it to `path`: a failure leaves nothing behind, and a link at `path` is replaced,
// never followed. Refuses a path that names the image being checked (device and inode `device`,
// `inode`), or a link to it. On failure, false and the reason.
bool writeTgaImage(const std::string& path, const std::uint8_t* pixels, unsigned long long device,
                   unsigned long long inode, std::string& error);

}  // namespace rm::tools
