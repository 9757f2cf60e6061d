#pragma once

#include <string>

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
//                                        and in double: "yes" when the product is rounded first;
//                                        "no" means a fused multiply-add (contraction) or excess
//                                        precision
//   each operation rounded to its width  a probe of (a + b) - a: "no" means excess precision
//   floor                                how floorD forms the floor: "instruction", "truncation" or
//                                        "rounding" (src/math/float_ops.h)
//   instruction-set path                 the renderer's path on this processor, as raymarch
//                                        chooses it at run time
std::string buildLines();

}  // namespace rm::tools
