#pragma once

// Every float and double operation of the renderer must round to its own width, one operation at
// a time. Where the compiler evaluates expressions in wider registers (the x87 unit of 32-bit x86
// keeps 80 bits), nearly every step rounds differently and the image is no longer the exact one,
// without any warning. Refuse to build there instead.
#include <float.h>

#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error \
    "floating-point expressions are evaluated with excess precision (FLT_EVAL_METHOD is not 0): every step would round differently and the image would not be exact. Build with arithmetic in the operands' own width: on 32-bit x86, -msse2 -mfpmath=sse."
#endif
