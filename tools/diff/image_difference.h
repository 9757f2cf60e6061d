#pragma once

#include <cstdint>
#include <vector>

namespace rm::tools {

// The rows of an image (kTgaPixelBytes, bottom row first) whose SHA-256 is not the exact image's.
std::vector<int> differingRows(const std::uint8_t* pixels);

// Renders the rows through the core library, as the renderer does, into their places in frame;
// returns the first of them that is not exact on this machine, or -1.
int renderRowsChecked(const std::vector<int>& rows, std::uint8_t* frame);

// Whether the plain evaluation of every pixel of row y gives the exact row on this machine.
bool referenceRowIsExact(int y);

// How an image differs from the exact one in the given rows.
struct DifferenceSummary {
    long pixels = 0;
    int rows = 0;
    int firstColumn = -1;  // the first differing pixel in file order
    int firstRow = -1;
    int largest = 0;  // the largest difference of one channel
    int largestColumn = -1;
    int largestRow = -1;
    int largestChannel = -1;  // 0 blue, 1 green, 2 red: the order in the file
};

DifferenceSummary compareRows(const std::uint8_t* image, const std::uint8_t* exact,
                              const std::vector<int>& rows);

// The image dimmed to a third, with every pixel that differs from the exact one in bright red.
std::vector<std::uint8_t> differenceMask(const std::uint8_t* image, const std::uint8_t* exact,
                                         const std::vector<int>& rows);

}  // namespace rm::tools
