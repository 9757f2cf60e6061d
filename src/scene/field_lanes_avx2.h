#pragma once

// Distance-field lanes for code built with AVX2.
#include <immintrin.h>

#include "noise/plane_hashes.h"

namespace rm {

// groundDistance at four points at once.
__m128 groundDistance4(const PlaneHashes& hashes, __m128 x, __m128 y, __m128 z);

}  // namespace rm
