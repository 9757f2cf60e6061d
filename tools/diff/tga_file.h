#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rm::tools {

constexpr int kTgaWidth = 1280;
constexpr int kTgaHeight = 1024;
constexpr std::size_t kTgaPixelBytes = 3 * kTgaWidth * kTgaHeight;

// An image in the renderer's format: 1280 x 1024 pixels of blue, green, red, bottom row first.
struct TgaImage {
    std::vector<std::uint8_t> header;  // the 18 header bytes and the image id, if any
    std::vector<std::uint8_t> pixels;  // kTgaPixelBytes
    std::size_t trailing = 0;          // bytes after the pixels (a TGA 2.0 footer, say)
};

// Reads a TGA file of the renderer's format; on any other file, false and what is wrong with it.
bool readTgaImage(const std::string& path, TgaImage& image, std::string& error);

// Writes the pixels (kTgaPixelBytes) under the renderer's own header.
bool writeTgaImage(const std::string& path, const std::uint8_t* pixels, std::string& error);

}  // namespace rm::tools
