#pragma once

#include <stdint.h>

#include "noise/plane_hashes.h"

namespace rm {

// The sum of `octaves` gradient-noise samples of the plane z = 0 at doubling frequency and halving
// amplitude, on the corner hashes of a table, in plain code. Each instruction set's table has it
// with the octaves as lanes (render/kernel_table.h).
double octaveNoisePlane(const PlaneHashes& hashes, int32_t octaves, double x, double y);

}  // namespace rm
