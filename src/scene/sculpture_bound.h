#pragma once

#include "scene/far_limit.h"

namespace rm {

// The lanes whose sculpture distance can matter: where a conservative lower bound of the field at
// the frame point q does not already rule it out against a counting ground g (strictly between 0
// and the far limit), or else against the far limit. The capsule segments lie in the box
// [-5, 7] x [-7, 5] x [-10, 2] of the frame and the tube has radius 1, so the field is at least
// the distance to the box less 1. The margin, above 1e-4 of the point's size, covers every
// rounding of the float field many times over; comparing squares saves a square root.
template <class V>
__attribute__((always_inline)) inline int sculptureNeededLanes(typename V::F qx, typename V::F qy,
                                                               typename V::F qz, typename V::F g) {
    using D = typename V::D;
    const D six = V::setD(6.0);
    const D ax = V::absD(V::subD(V::widen(qx), V::setD(1.0)));
    const D ay = V::absD(V::addD(V::widen(qy), V::setD(1.0)));
    const D az = V::absD(V::addD(V::widen(qz), V::setD(4.0)));
    auto beyond = [&](D a) { return V::zeroUnlessD(V::gtD(a, six), V::subD(a, six)); };
    const D dx = beyond(ax);
    const D dy = beyond(ay);
    const D dz = beyond(az);
    const D gd = V::widen(g);
    const D far = V::setD(kFarLimit);
    const D limit = V::selectD(V::andMD(V::gtD(gd, V::setD(0.0)), V::ltD(gd, far)), far, gd);
    const D reach =
        V::addD(V::addD(limit, V::setD(1.0)),
                V::mulD(V::addD(V::addD(V::addD(ax, ay), az), V::setD(64.0)), V::setD(0x1p-13)));
    const D boxSquared = V::addD(V::addD(V::mulD(dx, dx), V::mulD(dy, dy)), V::mulD(dz, dz));
    return ~V::bitsD(V::gtD(boxSquared, V::mulD(reach, reach))) & ((1 << V::kWidth) - 1);
}

}  // namespace rm
