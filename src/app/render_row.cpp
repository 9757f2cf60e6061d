#include "app/render_row.h"

#include "app/camera.h"
#include "app/shade_primary.h"

namespace rm {

void renderRow(int y, uint8_t* out) {
    const CameraRow row = cameraRow(y);
    for (int x = 0; x < kImageWidth; ++x) {
        const PixelBytes px = shadePrimary(primaryDirection(row, x));
        out[3 * x] = px.blue;
        out[3 * x + 1] = px.green;
        out[3 * x + 2] = px.red;
    }
}

}  // namespace rm
