#pragma once

// The instruction-set paths the benchmarks offer, from the registry: the names --simd takes, and
// --list-paths, which prints one line a path this build has and this processor runs, for scripts.
#include <cstdio>
#include <string>

#include "simd/simd_level.h"

namespace rmbench {

// The names of the levels this build has, as "scalar|...".
inline std::string simdChoices() {
    std::string choices;
    for (rm::SimdLevel level : rm::kBuiltSimdLevels) {
        if (!choices.empty()) choices += '|';
        choices += rm::simdLevelName(level);
    }
    return choices;
}

// Prints the paths this processor runs, the best last; the status for main.
inline int listPaths() {
    for (rm::SimdLevel level : rm::kBuiltSimdLevels)
        if (rm::simdLevelRuns(level) && std::printf("%s\n", rm::simdLevelName(level)) < 0) return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace rmbench
