#pragma once

#include <cstddef>
#include <cstdint>

#include "app/tga_header.h"
#include "render/camera.h"

// The exact image, known by the SHA-256 of each of its rows and of the whole file, compiled in from
// tests/golden-rows.txt: every test, benchmark and tool checks images through these functions, and
// the page through the same code built as a WebAssembly module.
namespace rm::tools {

constexpr int kExactRowCount = kImageHeight;
constexpr std::size_t kExactFileSize =
    kTgaHeaderSize + static_cast<std::size_t>(kExactRowCount) * kRowBytes;

// 64 lowercase hex digits: the row's (row 0 at the bottom, the first in the file) and the file's.
const char* exactRowHash(int row);
const char* exactFileHash();

// Whether the kRowBytes bytes at `pixels` are row `row` of the exact image.
bool rowIsExact(int row, const std::uint8_t* pixels);

// Whether `size` bytes are the exact image's whole file.
bool fileIsExact(const std::uint8_t* bytes, std::size_t size);

// How a file compares with the exact one. A row that is missing or cut short differs.
struct ImageCheck {
    bool exact;
    bool headerMatches;
    int firstDifferingRow;  // -1 when every row is exact
    int differingRows;
};

ImageCheck checkImage(const std::uint8_t* bytes, std::size_t size);

// The table behind the functions above, written at configure time (exact_row_hashes.cpp.in).
extern const char* const kExactRowHashes[kExactRowCount];
extern const char kExactFileHash[];

}  // namespace rm::tools
