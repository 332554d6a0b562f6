#include "geometry/mandrel.h"

#include <cfloat>
#include <limits>

// The last bit of every figure depends on each step being one binary64 operation, rounded to nearest: no build without
// binary64 doubles, with wider arithmetic (x87 without SSE2) or with fast-math's reordering.
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<double>::digits == 53,
              "the figures need IEEE 754 binary64 doubles");
static_assert(FLT_EVAL_METHOD == 0, "the figures need each operation rounded to binary64: build with SSE2 arithmetic "
                                    "(-msse2 -mfpmath=sse, /arch:SSE2)");
#if defined(__FAST_MATH__)
#error "the figures cannot be kept exact under -ffast-math"
#endif

// No fused multiply-add, rounding once where the figures round twice; so says the build too (-ffp-contract=off).
#if defined(_MSC_VER) && !defined(__clang__)
#pragma fp_contract(off)
#elif defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

void compute_mandrel(mandrel_figures& f) {
    f.half_height = f.coil_height * 0.5;
    f.offset_width = f.window_width * 0.5;
    f.l1 = f.half_height * pi;
    // offset_width * 2.0, not the window width: they differ where the halving underflowed.
    f.l2 = f.coil_height - f.offset_width * 2.0;
    f.l3 = f.offset_width * pi * 0.5;
    f.l4 = f.l3;
    // From left to right, the straight side first: the order decides the last bit.
    f.total_length = f.l2 + f.l1 + f.l3 + f.l4;
    f.mandrel_diameter = f.total_length / pi;
}
