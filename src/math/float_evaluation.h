#pragma once

// Every float and double operation of the renderer must round to its own width, one operation at
// a time. Where the compiler evaluates expressions in wider registers (the x87 unit of 32-bit x86
// and the 68881 of the 68020 keep 80 bits), nearly every step rounds differently and the image is
// no longer the exact one, without any warning. Refuse to build there instead.
#include <float.h>

#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
#error \
    "floating-point expressions are evaluated with excess precision (FLT_EVAL_METHOD is not 0): every step would round differently and the image would not be exact. Build with arithmetic in the operands' own width: on 32-bit x86, -msse2 -mfpmath=sse; on m68k, -m68040 or -m68060 (or -msoft-float)."
#endif

// Without -mieee, Alpha code traps on infinities, NaNs and subnormal numbers instead of computing
// them, and the kernel's completion of those operations is not guaranteed.
#if defined(__alpha__) && !defined(_IEEE_FP)
#error "Alpha code must be built with -mieee for IEEE infinities, NaNs and subnormal numbers."
#endif
