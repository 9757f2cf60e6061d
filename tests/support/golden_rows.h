#pragma once

#include <string>
#include <vector>

namespace rmtest {

// The exact image's row hashes (row 0 at the bottom) and whole-file hash, from the fixture file.
struct GoldenImage {
    std::vector<std::string> rowHashes;
    std::string fileHash;
    long fileSize = 0;
};

// Reads the fixture; returns false when it cannot be read or parsed.
bool loadGoldenImage(const std::string& path, GoldenImage& out);

}  // namespace rmtest
