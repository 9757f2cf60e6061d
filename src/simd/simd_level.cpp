#include "simd/simd_level.h"

namespace rm {
namespace detail {
SimdLevel gSimdLevel = SimdLevel::Scalar;
}

SimdLevel bestSimdLevel() {
#if defined(RAYMARCH_HAVE_X86_KERNELS)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512dq")) {
        return SimdLevel::Avx512;
    }
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#endif
    return SimdLevel::Scalar;
}

bool setSimdLevel(SimdLevel level) {
    if (static_cast<int>(level) > static_cast<int>(bestSimdLevel())) return false;
    detail::gSimdLevel = level;
    return true;
}

}  // namespace rm
