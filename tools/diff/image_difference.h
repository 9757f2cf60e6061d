#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/kernel_table.h"

namespace rm::tools {

// The SHA-256 of each of the first `rows` rows of an image (bottom row first).
std::vector<std::string> rowHashes(const std::uint8_t* pixels, int rows);

// The rows whose hash is not the exact image's.
std::vector<int> differingRows(const std::vector<std::string>& hashes);

// How an image can be the exact one with its bytes in another order.
enum class Rearrangement {
    None,
    RowsReversed,    // the top row first, although the header says the bottom row
    RedBlueSwapped,  // red, green, blue in each pixel, where a TGA holds blue, green, red
    Both,
};

// Whether every one of the image's rows, under one rearrangement, is the exact row: rows
// reversed only for a whole image. None when no rearrangement makes all of them exact.
Rearrangement findRearrangement(const std::uint8_t* pixels, const std::vector<std::string>& hashes);

// Renders the rows through the core library with `kernels`, as the renderer does, into their
// places in frame, one after the other, and stops at the first that is not exact on this machine:
// returns that row, or -1 when all are exact.
int renderRowsChecked(const KernelTable& kernels, const std::vector<int>& rows,
                      std::uint8_t* frame);

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
