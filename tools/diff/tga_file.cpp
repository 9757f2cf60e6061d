#include "diff/tga_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/tga_header.h"

namespace rm::tools {
namespace {

int littleEndian16(const std::uint8_t* b) { return b[0] | (b[1] << 8); }

bool readAll(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    const bool failed = std::ferror(file);
    std::fclose(file);
    if (failed) error = "cannot read " + path;
    return !failed;
}

}  // namespace

bool readTgaImage(const std::string& path, TgaImage& image, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!readAll(path, bytes, error)) return false;
    const std::string expected = "; expected an uncompressed 24-bit TGA of 1280 x 1024 pixels";
    if (bytes.size() < kTgaHeaderSize) {
        error = path + " is not a TGA file: " + std::to_string(bytes.size()) +
                " bytes, fewer than a TGA header" + expected;
        return false;
    }
    const std::uint8_t* h = bytes.data();
    const int width = littleEndian16(h + 12);
    const int height = littleEndian16(h + 14);
    if (h[1] != 0 || h[2] != 2) {
        error = path + " is not an uncompressed true-colour TGA (image type " +
                std::to_string(h[2]) + ", colour map type " + std::to_string(h[1]) + ")" + expected;
        return false;
    }
    if (width != kTgaWidth || height != kTgaHeight || h[16] != 24) {
        error = path + " is a TGA of " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels at " + std::to_string(h[16]) + " bits per pixel" + expected;
        return false;
    }
    if (h[17] & 0x30) {
        error = path + " stores its rows from the top or right to left" + expected +
                ", bottom row first";
        return false;
    }
    const std::size_t start = kTgaHeaderSize + h[0];
    const std::size_t present = bytes.size() > start ? bytes.size() - start : 0;
    if (present < kTgaPixelBytes) {
        error = path + " is truncated: " + std::to_string(present) + " of the " +
                std::to_string(kTgaPixelBytes) + " bytes of pixels";
        return false;
    }
    image.header.assign(bytes.begin(), bytes.begin() + static_cast<long>(start));
    image.pixels.assign(bytes.begin() + static_cast<long>(start),
                        bytes.begin() + static_cast<long>(start + kTgaPixelBytes));
    image.trailing = present - kTgaPixelBytes;
    return true;
}

bool writeTgaImage(const std::string& path, const std::uint8_t* pixels, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const TgaHeader header = makeTgaHeader();
    bool ok = std::fwrite(header.bytes, 1, kTgaHeaderSize, file) == kTgaHeaderSize &&
              std::fwrite(pixels, 1, kTgaPixelBytes, file) == kTgaPixelBytes;
    const int writeErrno = errno;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) error = "cannot write " + path + ": " + std::strerror(writeErrno);
    return ok;
}

}  // namespace rm::tools
