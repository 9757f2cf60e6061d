// Microbenchmarks of the renderer's hot functions on fixed, typical inputs.
#include <benchmark/benchmark.h>

#include "math/float_environment.h"
#include "noise/octave_noise.h"
#include "noise/perlin_noise.h"
#include "noise/plane_noise_lanes.h"
#include "reference/fields.h"
#include "reference/march.h"
#include "reference/noise.h"
#include "render/camera.h"
#include "render/kernel_table.h"
#include "render/normal.h"
#include "render/render_row.h"
#include "render/sky.h"
#include "scene/ground.h"
#include "scene/scene_noise.h"
#include "scene/sculpture_distance.h"
#include "simd/lane_ops_scalar.h"
#include "simd/simd_level.h"

namespace {

using rm::Vec3;

const rm::KernelTable& kKernels = rm::chooseKernels(rm::bestSimdLevel());

// Points spread over the region the rays cover: near the sculpture, above the terrain, far out.
constexpr int kPointMask = 63;  // 64 points, taken in turn
Vec3 samplePoint(int i) {
    const float f = static_cast<float>(i);
    return {f * 3.7f - 110.0f, f * 0.9f - 12.0f, 140.0f - f * 9.3f};
}

Vec3 pixelDirection(int x, int y) { return rm::primaryDirection(rm::cameraRow(y), x); }

void BM_sculptureDistance(benchmark::State& state) {
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rm::sculptureDistance(samplePoint(i++ & kPointMask)));
}
BENCHMARK(BM_sculptureDistance);

// The point-per-lane sculpture kernel of the vector marches, with one lane.
void BM_sculptureInFrameLanes(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 q = rm::sculptureFramePoint(samplePoint(i++ & kPointMask));
        benchmark::DoNotOptimize(rm::sculptureInFrameLanes<rm::LaneOpsScalar>({q.x, q.y, q.z}, 1));
    }
}
BENCHMARK(BM_sculptureInFrameLanes);

void BM_groundDistance(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 p = samplePoint(i++ & kPointMask);
        float g;
        kKernels.groundDistanceMany(rm::kScenePlaneHashes, &p, 1, &g);
        benchmark::DoNotOptimize(g);
    }
}
BENCHMARK(BM_groundDistance);

void BM_noise(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 p = samplePoint(i++ & kPointMask);
        benchmark::DoNotOptimize(
            rm::reference::noise(rm::kGroundNoise, p.x * 0.01, p.z * 0.01, 0.0));
    }
}
BENCHMARK(BM_noise);

void BM_octaveNoise(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 p = samplePoint(i++ & kPointMask);
        benchmark::DoNotOptimize(
            rm::reference::octaveNoise(rm::kSkyNoise, p.x * 0.002, p.z * 0.001, 0.0));
    }
}
BENCHMARK(BM_octaveNoise);

void BM_noisePlane(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 p = samplePoint(i++ & kPointMask);
        benchmark::DoNotOptimize(
            rm::planeNoiseLanes<rm::LaneOpsScalar>(rm::kScenePlaneHashes, p.x * 0.01, p.z * 0.01));
    }
}
BENCHMARK(BM_noisePlane);

void BM_octaveNoisePlane(benchmark::State& state) {
    int i = 0;
    for (auto _ : state) {
        const Vec3 p = samplePoint(i++ & kPointMask);
        benchmark::DoNotOptimize(
            kKernels.octaveNoisePlane(rm::kScenePlaneHashes, 8, p.x * 0.002, p.z * 0.001));
    }
}
BENCHMARK(BM_octaveNoisePlane);

// The plain evaluations the tests hold the renderer to: the general gradient noise and its octave
// sum, and single primary rays marched through both fields in every pass, ending in the sky, on
// the ground and on the sculpture.
void marchPixel(benchmark::State& state, int x, int y) {
    const Vec3 d = pixelDirection(x, y);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            rm::reference::march(rm::reference::SceneFields{}, rm::kCameraOrigin, d));
    }
}
void BM_marchSky(benchmark::State& state) { marchPixel(state, 100, 1000); }
void BM_marchGround(benchmark::State& state) { marchPixel(state, 100, 100); }
void BM_marchSculpture(benchmark::State& state) { marchPixel(state, 640, 512); }
BENCHMARK(BM_marchSky);
BENCHMARK(BM_marchGround);
BENCHMARK(BM_marchSculpture);

// A whole row of primary rays through the lane march, per ray; and a whole row of the image.
void BM_marchRaysRow(benchmark::State& state) {
    static rm::Ray rays[rm::kImageWidth];
    static rm::MarchHit hits[rm::kImageWidth];
    const rm::CameraRow row = rm::cameraRow(static_cast<int>(state.range(0)));
    for (int x = 0; x < rm::kImageWidth; ++x) {
        rays[x] = {rm::kCameraOrigin, rm::primaryDirection(row, x)};
    }
    for (auto _ : state) {
        kKernels.marchRays(rm::kScenePlaneHashes, rays, rm::kImageWidth, hits);
        benchmark::DoNotOptimize(hits);
    }
    state.SetItemsProcessed(state.iterations() * rm::kImageWidth);
}
BENCHMARK(BM_marchRaysRow)->Arg(300)->Arg(512)->Arg(900);

void BM_renderRow(benchmark::State& state) {
    static uint8_t out[rm::kRowBytes];
    static rm::RowWorkspace work;
    for (auto _ : state) {
        rm::renderRow(kKernels, static_cast<int>(state.range(0)), out, work);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_renderRow)->Arg(512)->Unit(benchmark::kMillisecond);

void BM_estimateNormalSculpture(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(rm::estimateNormal(kKernels, {3, 1, -2}, rm::Material::Sculpture));
    }
}
BENCHMARK(BM_estimateNormalSculpture);

void BM_estimateNormalGround(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            rm::estimateNormal(kKernels, {0.0f, -11.3f, 0.0f}, rm::Material::Ground));
    }
}
BENCHMARK(BM_estimateNormalGround);

void BM_skyColor(benchmark::State& state) {
    int i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            rm::skyColor(kKernels, rm::kCameraOrigin, pixelDirection(i++ & 1023, 900)));
}
BENCHMARK(BM_skyColor);

}  // namespace

int main(int argc, char** argv) {
    rm::setFloatEnvironment();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
