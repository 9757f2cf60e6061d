#include "common/exact_rows.h"

#include <cstring>

#include "common/sha256.h"

namespace rm::tools {
namespace {

bool hashIs(const std::uint8_t* bytes, std::size_t size, const char* hash) {
    return std::strcmp(sha256Digits(bytes, size).text, hash) == 0;
}

}  // namespace

const char* exactRowHash(int row) { return kExactRowHashes[row]; }

const char* exactFileHash() { return kExactFileHash; }

bool rowIsExact(int row, const std::uint8_t* pixels) {
    return hashIs(pixels, kRowBytes, kExactRowHashes[row]);
}

bool fileIsExact(const std::uint8_t* bytes, std::size_t size) {
    return size == kExactFileSize && hashIs(bytes, size, kExactFileHash);
}

ImageCheck checkImage(const std::uint8_t* bytes, std::size_t size) {
    ImageCheck check{fileIsExact(bytes, size), true, -1, 0};
    if (check.exact) return check;
    const TgaHeader header = makeTgaHeader();
    check.headerMatches =
        size >= kTgaHeaderSize && std::memcmp(bytes, header.bytes, kTgaHeaderSize) == 0;
    for (int row = 0; row < kExactRowCount; ++row) {
        const std::size_t start = kTgaHeaderSize + static_cast<std::size_t>(row) * kRowBytes;
        if (start + kRowBytes <= size && rowIsExact(row, bytes + start)) continue;
        if (check.firstDifferingRow < 0) check.firstDifferingRow = row;
        ++check.differingRows;
    }
    return check;
}

}  // namespace rm::tools
