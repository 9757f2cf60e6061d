#pragma once

// groundDistance at one point per lane: the same bits as the scalar field in every lane.
#include "scene/ground_terms.h"
#include "simd/plane_noise_lanes.h"

namespace rm {

template <class V>
typename V::F groundDistanceLanes(const PlaneHashes& hashes, typename V::F x, typename V::F y,
                                  typename V::F z) {
    using F = typename V::F;
    const F a = V::subF(z, V::setF(15.0f));
    const F c = V::setF(kGroundTurnCosine);
    const F turnedX = V::subF(V::mulF(a, c), x);
    const F turnedZ = V::addF(V::mulF(x, c), a);
    typename V::D n[3];
    for (int k = 0; k < 3; ++k) {
        const F s = V::setF(kGroundNoiseScales[k]);
        n[k] = planeNoiseLanes<V>(hashes, V::widen(V::mulF(turnedZ, s)),
                                  V::widen(V::mulF(turnedX, s)));
    }
    // Narrow after every term, as the scalar field does.
    F h = V::addF(y, V::setF(14.0f));
    for (int k = 0; k < 3; ++k) {
        h = V::narrow(V::addD(V::widen(h), V::mulD(n[k], V::setD(kGroundNoiseAmplitudes[k]))));
    }
    return V::addF(h, V::setF(1.0f));
}

}  // namespace rm
