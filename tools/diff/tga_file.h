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

// "" when the name itself (not a link to it) is a regular file, the one of that device and inode;
// else what it is ("a symbolic link", "a FIFO", ...).
std::string notRegularFile(const std::string& path, unsigned long long device,
                           unsigned long long inode);

// A complete file written under a name of its own, waiting to be put in place of `path`.
struct PendingFile {
    std::string temporary;
    std::string path;
};

// Writes the pixels (kTgaPixelBytes) under the renderer's own header to a new file beside `path`,
// with a short name of its own (created with O_EXCL), to be renamed to `path` by commitFile: a
// failure leaves nothing behind. Refuses a path that names the image being checked (device and
// inode `device`, `inode`), or a link to it; a directory; and a device, FIFO or socket, or a
// symbolic link to anything but a regular file, since renaming over one would replace it. A
// symbolic link to a regular file, or to nothing, is replaced, never followed. On failure, false
// and the reason.
bool prepareTgaImage(const std::string& path, const std::uint8_t* pixels, unsigned long long device,
                     unsigned long long inode, PendingFile& file, std::string& error);

// Renames the file to its name; on failure, removes it and gives false and the reason.
bool commitFile(const PendingFile& file, std::string& error);

// Removes the file, leaving whatever is at its name as it was.
void discardFile(const PendingFile& file);

}  // namespace rm::tools
