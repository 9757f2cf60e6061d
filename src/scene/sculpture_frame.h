#pragma once

// World points turned into the sculpture frame, one point per lane.
#include "scene/sculpture.h"

namespace rm {

template <class V>
struct FramePointLanes {
    typename V::F x;
    typename V::F y;
    typename V::F z;
};

template <class V>
__attribute__((always_inline)) inline FramePointLanes<V> sculptureFramePointLanes(
    typename V::F px, typename V::F py, typename V::F pz) {
    const float* r = kSculptureFrame.m;
    // The translation is added third, and in z the frame's shift of 5 is taken off the
    // translation before anything else.
    return {V::addF(V::addF(V::addF(V::mulF(px, V::setF(r[0])), V::mulF(py, V::setF(r[4]))),
                            V::setF(r[12])),
                    V::mulF(pz, V::setF(r[8]))),
            V::addF(V::addF(V::addF(V::mulF(px, V::setF(r[1])), V::mulF(py, V::setF(r[5]))),
                            V::setF(r[13])),
                    V::mulF(pz, V::setF(r[9]))),
            V::addF(V::addF(V::addF(V::setF(r[14] - 5.0f), V::mulF(px, V::setF(r[2]))),
                            V::mulF(py, V::setF(r[6]))),
                    V::mulF(pz, V::setF(r[10])))};
}

}  // namespace rm
