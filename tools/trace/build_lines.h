#pragma once

#include <string>

#include "trace/float_readings.h"

namespace rm::tools {

// The lines that open every trace: how this program was built and what the processor gives, one
// "# name: value" a line. Comparisons of traces skip every line that starts with '#'.
//
//   compiler                             the compiler and its version
//   target                               the processor family compiled for
//   compiled for                         the x86 extensions the compiler may use everywhere
//                                        (sse4.1, fma, avx2, avx512f), or "baseline"
//   FLT_EVAL_METHOD                      0 when every operation rounds to its operands' width
//   __FP_FAST_FMA, __FP_FAST_FMAF        "defined" where a fused multiply-add is as fast as the
//                                        separate operations, so that a contracting compiler uses
//                                        it
//   __FAST_MATH__                        "defined" under -ffast-math
//   product rounded before adding        a probe of a * b + c, as this build compiles it, in float
//                                        and in double: "no" only on the product's exact tail,
//                                        which a fused multiply-add (contraction) or excess
//                                        precision keeps; any rounding mode says "yes"
//   each operation rounded to its width  a probe of (a + b) - a: "no" only on the exact b, which
//                                        excess precision keeps; any rounding mode says "yes"
//   rounding at start                    the rounding mode the host started the program with, in
//                                        float and in double: "nearest", "upward", "downward",
//                                        "toward zero" or "unknown" (atStart, read before
//                                        setFloatEnvironment())
//   subnormal results at start           "flushed" where a subnormal product came back 0, else
//                                        "kept"
//   subnormal operands at start          "zero" where a subnormal operand was read as 0, else
//                                        "read"
//   floating-point control               what setFloatEnvironment() does on this processor: "set to
//                                        round to nearest, nothing flushed, exceptions masked",
//                                        "left as the host set it (<why>)" or "none: WebAssembly
//                                        always rounds to nearest"
//   rounding, subnormal results,         the same three readings now, under the environment the
//   subnormal operands                   trace renders under
//   floor                                how floorD forms the floor: "instruction", "truncation" or
//                                        "rounding" (src/math/float_ops.h)
//   instruction-set path                 the renderer's path on this processor, as raymarch
//                                        chooses it at run time
std::string buildLines(const FloatEnvironmentReading& atStart);

}  // namespace rm::tools
