#include "support/golden_rows.h"

#include <fstream>
#include <sstream>

namespace rmtest {

bool loadGoldenImage(const std::string& path, GoldenImage& out) {
    std::ifstream in(path);
    if (!in) return false;
    out.rowHashes.assign(1024, std::string());
    std::string line;
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            const auto at = line.find("sha256 ");
            if (at != std::string::npos) {
                std::istringstream fields(line.substr(at + 7));
                std::string hash, size;
                fields >> hash >> size;
                if (!hash.empty() && hash.back() == ',') hash.pop_back();
                out.fileHash = hash;
                out.fileSize = std::stol(size);
            }
            continue;
        }
        std::istringstream fields(line);
        int row = -1;
        std::string hash;
        fields >> row >> hash;
        if (row < 0 || row >= 1024 || hash.size() != 64) return false;
        out.rowHashes[row] = hash;
        ++rows;
    }
    return rows == 1024 && out.fileHash.size() == 64;
}

}  // namespace rmtest
