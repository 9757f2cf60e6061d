#include "render/render_row.h"

#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/pixel_shading.h"
#include "render/reflection.h"
#include "render/shading_constants.h"
#include "render/sky.h"

namespace rm {
namespace {

// The small-memory build renders a row in spans of RAYMARCH_ROW_SPAN pixels, so that the workspace
// holds one span's rays instead of the row's. Every ray is marched and shaded on its own, whatever
// batch it is marched in, so the bytes are those of the whole row at once.
#ifdef RAYMARCH_SMALL_MEMORY
constexpr int kSpanWidth = RAYMARCH_ROW_SPAN;
#else
constexpr int kSpanWidth = kImageWidth;
#endif
static_assert(kSpanWidth > 0 && kImageWidth % kSpanWidth == 0, "spans must tile the row");

constexpr int kMaxChains = 4 * kSpanWidth;
constexpr int kMaxTints = kMaxDepth - 1;

// One reflection chain: the ray it follows at the current depth, the surfaces it has met, and
// the sky colour where it ended.
struct Chain {
    Ray ray;
    SurfaceTint tints[kMaxTints];
    int tintCount;
    Vec3 sky;
};

// A span of a row in flight. The span's rays are marched depth by depth, each depth as one batch;
// every value is formed exactly as the recursive shading forms it, only in another order.
struct RowWork {
    Ray primary[kSpanWidth];
    MarchHit primaryHits[kSpanWidth];
    PrimaryRays spawned[kSpanWidth];
    int firstChain[kSpanWidth];
    Chain chains[kMaxChains];
    int active[kMaxChains];
    Ray batch[kMaxChains];
    MarchHit batchHits[kMaxChains];
};

RowWork work;

}  // namespace

void renderRow(int y, uint8_t* out) {
    RowWork& w = work;
    const CameraRow row = cameraRow(y);
    // The default build's row is one span, taken without a loop: even a loop of one pass changes
    // the code the compiler makes of the row.
#ifdef RAYMARCH_SMALL_MEMORY
    for (int first = 0; first < kImageWidth; first += kSpanWidth, out += 3 * kSpanWidth) {
#else
    {
        constexpr int first = 0;
#endif
        for (int x = 0; x < kSpanWidth; ++x)
            w.primary[x] = {kCameraOrigin, primaryDirection(row, first + x)};
        kernels().marchRays(w.primary, kSpanWidth, w.primaryHits);

        // Start the reflection chains of the surface pixels.
        int chainCount = 0;
        for (int x = 0; x < kSpanWidth; ++x) {
            const MarchHit hit = w.primaryHits[x];
            w.firstChain[x] = -1;
            if (hit.distance > kSkyThreshold) continue;
            const PrimaryRays& spawned = w.spawned[x] =
                primaryReflections(w.primary[x].direction, hit.material, hit.distance);
            w.firstChain[x] = chainCount;
            for (int i = 0; i < spawned.count; ++i) {
                Chain& chain = w.chains[chainCount];
                chain.ray = spawned.rays[i];
                chain.tintCount = 0;
                w.active[chainCount] = chainCount;
                ++chainCount;
            }
        }

        // Depths 1 to 4: march every live chain; a miss ends it in the sky, a hit reflects it.
        int activeCount = chainCount;
        for (int depth = 1; depth < kMaxDepth && activeCount > 0; ++depth) {
            for (int i = 0; i < activeCount; ++i)
                w.batch[i] = w.chains[w.active[i]].ray;
            kernels().marchRays(w.batch, activeCount, w.batchHits);
            int stillActive = 0;
            for (int i = 0; i < activeCount; ++i) {
                Chain& chain = w.chains[w.active[i]];
                const MarchHit hit = w.batchHits[i];
                if (hit.distance > kSkyThreshold) {
                    chain.sky = skyColor(chain.ray.origin, chain.ray.direction);
                    continue;
                }
                const Reflection next = reflectAtHit(chain.ray, hit.material, hit.distance);
                chain.tints[chain.tintCount++] = next.tint;
                chain.ray = next.ray;
                w.active[stillActive++] = w.active[i];
            }
            activeCount = stillActive;
        }
        // Depth 5 takes the sky without marching.
        for (int i = 0; i < activeCount; ++i) {
            Chain& chain = w.chains[w.active[i]];
            chain.sky = skyColor(chain.ray.origin, chain.ray.direction);
        }

        // Fold each chain's tints from the deepest surface back to the first, then the pixels.
        for (int x = 0; x < kSpanWidth; ++x) {
            PixelBytes px;
            if (w.firstChain[x] < 0) {
                px = skyBytes(skyColor(kCameraOrigin, w.primary[x].direction));
            } else {
                Vec3 colours[4];
                for (int i = 0; i < w.spawned[x].count; ++i) {
                    const Chain& chain = w.chains[w.firstChain[x] + i];
                    Vec3 c = chain.sky;
                    for (int k = chain.tintCount - 1; k >= 0; --k)
                        c = applyTint(chain.tints[k], c);
                    colours[i] = c;
                }
                px = surfaceBytes(w.spawned[x], colours);
            }
            out[3 * x] = px.blue;
            out[3 * x + 1] = px.green;
            out[3 * x + 2] = px.red;
        }
    }
}

}  // namespace rm
