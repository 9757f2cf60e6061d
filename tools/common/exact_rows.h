#pragma once

namespace rm::tools {

constexpr int kExactRowCount = 1024;

// SHA-256 of each 3840-byte row of the exact image, row 0 at the bottom, and of the whole file,
// as 64 lowercase hex digits.
extern const char* const kExactRowHashes[kExactRowCount];
extern const char kExactFileHash[];

}  // namespace rm::tools
