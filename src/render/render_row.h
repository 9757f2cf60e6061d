#pragma once

#include <stdint.h>

#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/march_hit.h"
#include "render/pixel_shading.h"
#include "render/ray.h"
#include "render/reflection.h"
#include "render/shading_constants.h"

namespace rm {

// The small-memory build renders a row in spans of RAYMARCH_ROW_SPAN pixels, so that the workspace
// holds one span's rays instead of the row's. Every ray is marched and shaded on its own, whatever
// batch it is marched in, so the bytes are those of the whole row at once.
#ifdef RAYMARCH_SMALL_MEMORY
constexpr int kRowSpanWidth = RAYMARCH_ROW_SPAN;
#else
constexpr int kRowSpanWidth = kImageWidth;
#endif
static_assert(kRowSpanWidth > 0 && kImageWidth % kRowSpanWidth == 0, "spans must tile the row");

// One reflection chain: the ray it follows at the current depth, the surfaces it has met, and
// the sky colour where it ended.
struct ReflectionChain {
    Ray ray;
    SurfaceTint tints[kMaxDepth - 1];
    int tintCount;
    Vec3 sky;
};

// A span of a row in flight, the rays of its pixels and of their reflections. The span's rays are
// marched depth by depth, each depth as one batch; every value is formed exactly as the recursive
// shading forms it, only in another order. Large (819 KB in the default build), so the caller
// keeps it where it keeps its own large buffers; nothing in it lasts from one row to the next.
struct RowWorkspace {
    static constexpr int kMaxChains = 4 * kRowSpanWidth;
    Ray primary[kRowSpanWidth];
    MarchHit primaryHits[kRowSpanWidth];
    PrimaryRays spawned[kRowSpanWidth];
    int firstChain[kRowSpanWidth];
    ReflectionChain chains[kMaxChains];
    int active[kMaxChains];
    Ray batch[kMaxChains];
    MarchHit batchHits[kMaxChains];
};

// Shades the 1280 pixels of row y (0 is the bottom row) into out, blue, green, red per pixel, with
// `kernels` for its marches, normals and sky and `work` as its workspace.
void renderRow(const KernelTable& kernels, int y, uint8_t* out, RowWorkspace& work);

}  // namespace rm
