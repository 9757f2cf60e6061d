#include "app/host.h"
#include "app/image_output.h"
#include "app/tga_header.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "render/render_row.h"
#include "simd/simd_level.h"

namespace {

#ifdef RAYMARCH_SMALL_MEMORY
// Each row is written out before the next is rendered, so one row's bytes are all it keeps.
uint8_t rowBuffer[rm::kRowBytes];
inline uint8_t* rowBytes(int) { return rowBuffer; }
#else
uint8_t frameBuffer[rm::kImageHeight][rm::kRowBytes];
inline uint8_t* rowBytes(int y) { return frameBuffer[y]; }
#endif
rm::RowWorkspace rowWorkspace;

constexpr char kBanner[] = "Starting raymarching process\n";

}  // namespace

int main() {
    using namespace rm;
    // Whatever the host left in the floating-point control, the image is made under the one it
    // is exact under. The freestanding entry has set it already; setting it again costs nothing.
    setFloatEnvironment();
    writeProgress(kBanner, sizeof kBanner - 1);

    setSimdLevel(bestSimdLevel());

    const TgaHeader header = makeTgaHeader();
    writeImageBytes(header.bytes, kTgaHeaderSize);
    for (int y = 0; y < kImageHeight; ++y) {
        writeProgress(".", 1);
        uint8_t* const row = rowBytes(y);
        renderRow(y, row, rowWorkspace);
        writeImageBytes(row, kRowBytes);
    }
    hostExit(0);
}
