#pragma once

// The instruction sets the kernels can use, from the registry in cmake/instruction_sets.cmake.
// Every level gives the same bits.
#include "simd/instruction_sets.h"

namespace rm {

#define RAYMARCH_LEVEL_ENUMERATOR(name, level, display) level,
enum class SimdLevel { RAYMARCH_FOR_EACH_SIMD_LEVEL(RAYMARCH_LEVEL_ENUMERATOR) };
#undef RAYMARCH_LEVEL_ENUMERATOR

#define RAYMARCH_COUNT_LEVEL(...) +1
inline constexpr int kSimdLevelCount = 0 RAYMARCH_FOR_EACH_SIMD_LEVEL(RAYMARCH_COUNT_LEVEL);
#undef RAYMARCH_COUNT_LEVEL

// The levels this build has a kernel table for, the plain one first.
#define RAYMARCH_BUILT_LEVEL(name, level) , SimdLevel::level
inline constexpr SimdLevel kBuiltSimdLevels[] = {
    SimdLevel::Scalar RAYMARCH_FOR_EACH_KERNEL_SET(RAYMARCH_BUILT_LEVEL)};
#undef RAYMARCH_BUILT_LEVEL

// The best level this build has and this processor runs.
SimdLevel bestSimdLevel();

// The lower-case name of a level (its kernels' namespace, "scalar" for the plain one), and the
// level of such a name, false for any other name; the name of a level for people.
const char* simdLevelName(SimdLevel level);
bool simdLevelFromName(const char* name, SimdLevel& level);
const char* simdLevelDisplayName(SimdLevel level);

// Whether this build has the level's kernels and this processor runs them.
bool simdLevelRuns(SimdLevel level);

}  // namespace rm
