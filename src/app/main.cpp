#include "app/host.h"
#include "app/image_output.h"
#include "app/tga_header.h"
#include "math/float_environment.h"
#include "render/camera.h"
#include "render/kernel_table.h"
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

// A program built to write only rows RAYMARCH_FIRST_ROW, then every RAYMARCH_ROW_STEP-th, after
// the same header, samples the whole frame where rendering all of it takes hours (an emulated
// microcontroller); the program itself writes every row.
#ifndef RAYMARCH_FIRST_ROW
#define RAYMARCH_FIRST_ROW 0
#endif
#ifndef RAYMARCH_ROW_STEP
#define RAYMARCH_ROW_STEP 1
#endif
constexpr int kFirstRow = RAYMARCH_FIRST_ROW;
constexpr int kRowStep = RAYMARCH_ROW_STEP;
static_assert(kFirstRow >= 0 && kFirstRow < rm::kImageHeight && kRowStep > 0,
              "the sampled rows start within the image and step forward");

}  // namespace

int main() {
    using namespace rm;
    // Whatever the host left in the floating-point control, the image is made under the one it
    // is exact under. The freestanding entry has set it already; setting it again costs nothing.
    setFloatEnvironment();
    ImageOutput output;
    writeProgress(output, kBanner, sizeof kBanner - 1);

    const KernelTable& kernels = chooseKernels(bestSimdLevel());

    const TgaHeader header = makeTgaHeader();
    writeImageBytes(output, header.bytes, kTgaHeaderSize);
    for (int y = kFirstRow; y < kImageHeight; y += kRowStep) {
        writeProgress(output, ".", 1);
        uint8_t* const row = rowBytes(y);
        renderRow(kernels, y, row, rowWorkspace);
        writeImageBytes(output, row, kRowBytes);
    }
    hostExit(0);
}
