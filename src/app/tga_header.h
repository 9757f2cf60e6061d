#pragma once

#include <stdint.h>

namespace rm {

constexpr int kTgaHeaderSize = 18;

struct TgaHeader {
    uint8_t bytes[kTgaHeaderSize];
};

// Uncompressed true-colour, 1280 x 1024, 24 bits per pixel, first row at the bottom.
TgaHeader makeTgaHeader();

}  // namespace rm
