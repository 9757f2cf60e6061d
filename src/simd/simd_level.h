#pragma once

namespace rm {

// The instruction sets the kernels can use. Every level gives the same bits.
enum class SimdLevel { Scalar = 0, Avx2 = 1, Avx512 = 2, Neon = 3, Simd128 = 4 };
inline constexpr int kSimdLevelCount = 5;

// The instruction sets with a kernel table in this build beyond the plain one, as
// X(namespace, level): the table rm::<namespace>::kKernels, in src/render/kernels_<namespace>.cpp.
#if defined(RAYMARCH_HAVE_X86_KERNELS)
#define RAYMARCH_FOR_EACH_KERNEL_SET(X) X(avx2, Avx2) X(avx512, Avx512)
#elif defined(RAYMARCH_HAVE_NEON_KERNELS)
#define RAYMARCH_FOR_EACH_KERNEL_SET(X) X(neon, Neon)
#elif defined(RAYMARCH_HAVE_SIMD128_KERNELS)
#define RAYMARCH_FOR_EACH_KERNEL_SET(X) X(simd128, Simd128)
#else
#define RAYMARCH_FOR_EACH_KERNEL_SET(X)
#endif

// The best level this processor supports.
SimdLevel bestSimdLevel();

// The lower-case name of a level, "scalar", "avx2", "avx512", "neon" or "simd128"; and the level
// of such a name, false for any other name.
const char* simdLevelName(SimdLevel level);
bool simdLevelFromName(const char* name, SimdLevel& level);

// Chooses the level the kernels use from now on; false (and no change) if this build or the
// processor lacks it.
bool setSimdLevel(SimdLevel level);

namespace detail {
extern SimdLevel gSimdLevel;
}

inline SimdLevel simdLevel() { return detail::gSimdLevel; }

}  // namespace rm
