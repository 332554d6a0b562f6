#include "geometry/mandrel.h"

#include <cfloat>
#include <limits>

// The last bit of every figure depends on each step below being a single
// binary64 operation, rounded to nearest.  Refuse to build where that
// cannot hold: a double that is not binary64, arithmetic carried out in a
// wider format (x87 without SSE2), or fast-math's licence to reorder.
static_assert(std::numeric_limits<double>::is_iec559 && std::numeric_limits<double>::digits == 53,
              "the figures need IEEE 754 binary64 doubles");
static_assert(FLT_EVAL_METHOD == 0, "the figures need each operation rounded to binary64: build with SSE2 arithmetic "
                                    "(-msse2 -mfpmath=sse, /arch:SSE2)");
#if defined(__FAST_MATH__)
#error "the figures cannot be kept exact under -ffast-math"
#endif

// No fused multiply-add: a contracted a*b+c rounds once where the figures
// are defined to round twice.  The build also passes -ffp-contract=off or
// /fp:precise; the pragmas keep it so where a compiler honours them.
#if defined(_MSC_VER) && !defined(__clang__)
#pragma fp_contract(off)
#elif defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#endif

void compute_mandrel(mandrel_figures& f) {
    f.half_height = f.coil_height * 0.5;
    f.offset_width = f.window_width * 0.5;
    f.l1 = f.half_height * pi;
    // The product first, then the subtraction: not the window width itself,
    // which differs from offset_width * 2.0 only when the halving underflowed.
    const double twice_offset = f.offset_width * 2.0;
    f.l2 = f.coil_height - twice_offset;
    const double offset_arc = f.offset_width * pi;
    f.l3 = offset_arc * 0.5;
    f.l4 = f.l3;
    // The running sum starts with the straight side; the order decides the
    // last bit, so it is written out one addition at a time.
    double sum = f.l2 + f.l1;
    sum = sum + f.l3;
    sum = sum + f.l4;
    f.total_length = sum;
    f.mandrel_diameter = f.total_length / pi;
}
