#pragma once

namespace rm {

// The instruction sets the distance fields can use. Every level gives the same bits.
enum class SimdLevel { Scalar = 0, Avx2 = 1, Avx512 = 2 };

// The best level this processor supports.
SimdLevel bestSimdLevel();

// The lower-case name of a level, "scalar", "avx2" or "avx512"; and the level of such a name,
// false for any other name.
const char* simdLevelName(SimdLevel level);
bool simdLevelFromName(const char* name, SimdLevel& level);

// Chooses the level the fields use from now on; false (and no change) if the processor lacks it.
bool setSimdLevel(SimdLevel level);

namespace detail {
extern SimdLevel gSimdLevel;
}

inline SimdLevel simdLevel() { return detail::gSimdLevel; }

}  // namespace rm
