#include "app/host.h"
#include "app/image_output.h"
#include "app/tga_header.h"
#include "noise/noise_objects.h"
#include "noise/perlin_noise.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "simd/simd_level.h"

namespace {

uint8_t frameBuffer[rm::kImageHeight][rm::kRowBytes];

constexpr char kBanner[] = "Starting raymarching process\n";

}  // namespace

int main() {
    using namespace rm;
    writeProgress(kBanner, sizeof kBanner - 1);

    const OctaveNoise sky = makeOctaveNoise(8, 0);
    const PerlinNoise ground = makePerlinNoise(0);
    publishNoise(sky, ground);
    setSimdLevel(bestSimdLevel());

    const TgaHeader header = makeTgaHeader();
    writeImageBytes(header.bytes, kTgaHeaderSize);
    for (int y = 0; y < kImageHeight; ++y) {
        writeProgress(".", 1);
        renderRow(y, frameBuffer[y]);
        writeImageBytes(frameBuffer[y], kRowBytes);
    }
    hostExit(0);
}
