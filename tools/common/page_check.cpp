// The page's image check: the check every program uses (exact_rows.cpp), built as a WebAssembly
// module of its own with no imports, which the page loads beside the renderer's module. The page
// copies the image into imageBuffer() and calls checkImage with its length.
#include <cstdint>
#include <cstring>

#include "common/exact_rows.h"
#include "common/sha256.h"

namespace {

// Read by the page from the module's memory: four 32-bit integers, then the file's SHA-256.
struct PageCheck {
    std::int32_t exact;
    std::int32_t headerMatches;
    std::int32_t firstDifferingRow;
    std::int32_t differingRows;
    char sha256[65];
};

std::uint8_t image[rm::tools::kExactFileSize];
PageCheck result;

}  // namespace

extern "C" {

__attribute__((export_name("imageBuffer"))) std::uint8_t* imageBuffer() { return image; }

__attribute__((export_name("imageCapacity"))) std::size_t imageCapacity() { return sizeof image; }

// The first `size` bytes of imageBuffer() checked, or null for more than it holds.
__attribute__((export_name("checkImage"))) const PageCheck* checkImage(std::size_t size) {
    if (size > sizeof image) return nullptr;
    const rm::tools::ImageCheck check = rm::tools::checkImage(image, size);
    result.exact = check.exact;
    result.headerMatches = check.headerMatches;
    result.firstDifferingRow = check.firstDifferingRow;
    result.differingRows = check.differingRows;
    std::memcpy(result.sha256, rm::tools::sha256Digits(image, size).text, sizeof result.sha256);
    return &result;
}
}
