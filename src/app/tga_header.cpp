#include "app/tga_header.h"

#include "render/camera.h"

namespace rm {

TgaHeader makeTgaHeader() {
    TgaHeader h{};
    h.bytes[2] = 2;  // uncompressed true-colour
    h.bytes[12] = kImageWidth & 0xff;
    h.bytes[13] = kImageWidth >> 8;
    h.bytes[14] = kImageHeight & 0xff;
    h.bytes[15] = kImageHeight >> 8;
    h.bytes[16] = 24;  // bits per pixel; descriptor 0: left to right, bottom row first
    return h;
}

}  // namespace rm
