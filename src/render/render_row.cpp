#include "render/render_row.h"

#include "render/camera.h"
#include "render/normal.h"
#include "render/shading_constants.h"
#include "render/sky.h"
#include "scene/scene_noise.h"

namespace rm {

void renderRow(const KernelTable& kernels, int y, uint8_t* out, RowWorkspace& w) {
    const CameraRow row = cameraRow(y);
    // The default build's row is one span, taken without a loop: even a loop of one pass changes
    // the code the compiler makes of the row.
#ifdef RAYMARCH_SMALL_MEMORY
    for (int first = 0; first < kImageWidth; first += kRowSpanWidth, out += 3 * kRowSpanWidth) {
#else
    {
        constexpr int first = 0;
#endif
        for (int x = 0; x < kRowSpanWidth; ++x)
            w.primary[x] = {kCameraOrigin, primaryDirection(row, first + x)};
        kernels.marchRays(kScenePlaneHashes, w.primary, kRowSpanWidth, w.primaryHits);

        // Start the reflection chains of the surface pixels.
        int chainCount = 0;
        for (int x = 0; x < kRowSpanWidth; ++x) {
            const MarchHit hit = w.primaryHits[x];
            w.firstChain[x] = -1;
            if (hit.distance > kSkyThreshold) continue;
            const Vec3 d = w.primary[x].direction;
            const Vec3 p = primaryHitPoint(d, hit.distance);
            const PrimaryRays& spawned = w.spawned[x] =
                primaryReflectionsAt(d, hit.material, p, estimateNormal(kernels, p, hit.material));
            w.firstChain[x] = chainCount;
            for (int i = 0; i < spawned.count; ++i) {
                ReflectionChain& chain = w.chains[chainCount];
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
            kernels.marchRays(kScenePlaneHashes, w.batch, activeCount, w.batchHits);
            int stillActive = 0;
            for (int i = 0; i < activeCount; ++i) {
                ReflectionChain& chain = w.chains[w.active[i]];
                const MarchHit hit = w.batchHits[i];
                if (hit.distance > kSkyThreshold) {
                    chain.sky = skyColor(kernels, chain.ray.origin, chain.ray.direction);
                    continue;
                }
                const Vec3 p = pointAlong(chain.ray.origin, chain.ray.direction, hit.distance);
                const Reflection next =
                    reflectAt(chain.ray, hit.material, p, estimateNormal(kernels, p, hit.material));
                chain.tints[chain.tintCount++] = next.tint;
                chain.ray = next.ray;
                w.active[stillActive++] = w.active[i];
            }
            activeCount = stillActive;
        }
        // Depth 5 takes the sky without marching.
        for (int i = 0; i < activeCount; ++i) {
            ReflectionChain& chain = w.chains[w.active[i]];
            chain.sky = skyColor(kernels, chain.ray.origin, chain.ray.direction);
        }

        // Fold each chain's tints from the deepest surface back to the first, then the pixels.
        for (int x = 0; x < kRowSpanWidth; ++x) {
            PixelBytes px;
            if (w.firstChain[x] < 0) {
                px = skyBytes(skyColor(kernels, kCameraOrigin, w.primary[x].direction));
            } else {
                Vec3 colours[4];
                for (int i = 0; i < w.spawned[x].count; ++i) {
                    const ReflectionChain& chain = w.chains[w.firstChain[x] + i];
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
