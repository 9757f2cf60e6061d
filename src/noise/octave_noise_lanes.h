#pragma once

// The octave sum of the plane noise with the octaves as lanes: each lane evaluates one octave's
// noise exactly as the scalar sum does, and the sum is then taken octave by octave in order.
#include <stdint.h>

#include "noise/plane_noise_lanes.h"

namespace rm {

template <class V>
double octaveNoisePlaneLanes(const PlaneHashes& hashes, int32_t octaves, double x, double y) {
    constexpr int kWidth = V::kWidth;
    double sum = 0.0;
    double amplitude = 1.0;
    for (int32_t first = 0; first < octaves; first += kWidth) {
        // The doublings of the frequency are exact, so each lane's point is the scalar one.
        alignas(64) double xs[kWidth];
        alignas(64) double ys[kWidth];
        for (int lane = 0; lane < kWidth; ++lane) {
            xs[lane] = x;
            ys[lane] = y;
            x = x + x;
            y = y + y;
        }
        alignas(64) double n[kWidth];
        V::storeD(n, planeNoiseLanes<V>(hashes, V::loadD(xs), V::loadD(ys)));
        const int32_t count = octaves - first < kWidth ? octaves - first : kWidth;
        for (int lane = 0; lane < count; ++lane) {
            sum = sum + amplitude * n[lane];
            amplitude = amplitude * 0.5;
        }
    }
    return sum;
}

}  // namespace rm
