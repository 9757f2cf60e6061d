#pragma once

#include <stdint.h>

namespace rm {

// Shades the 1280 pixels of row y (0 is the bottom row) into out, blue, green, red per pixel.
void renderRow(int y, uint8_t* out);

}  // namespace rm
