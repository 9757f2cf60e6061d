#include "app/host.h"
#include "app/image_output.h"
#include "app/tga_header.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "scene/scene_setup.h"

namespace {

uint8_t frameBuffer[rm::kImageHeight][rm::kRowBytes];

constexpr char kBanner[] = "Starting raymarching process\n";

}  // namespace

int main() {
    using namespace rm;
    // Whatever the host left in the floating-point control, the image is made under the one it
    // is exact under. The freestanding entry has set it already; setting it again costs nothing.
    setFloatEnvironment();
    writeProgress(kBanner, sizeof kBanner - 1);

    buildScene(bestSimdLevel());

    const TgaHeader header = makeTgaHeader();
    writeImageBytes(header.bytes, kTgaHeaderSize);
    for (int y = 0; y < kImageHeight; ++y) {
        writeProgress(".", 1);
        renderRow(y, frameBuffer[y]);
        writeImageBytes(frameBuffer[y], kRowBytes);
    }
    hostExit(0);
}
