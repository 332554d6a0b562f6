// The baseline for the throughput benchmark: the dialogue read plainly,
// with scanf and printf and a flush before each read, as a straightforward
// C program would.  Same texts and figures as the calculator; no pause
// (the benchmark feeds a file) and no handling of bad input.
#include <cstdio>

#include "geometry/mandrel.h"

int main() {
    mandrel_figures f = {};
    for (;;) {
        std::printf(" \n------------------------------------------------ \nVorlane v1.0a \n \n");
        std::printf("Const Pi = %lf \n \n", pi);
        std::printf("Enter DD coil height : ");
        std::fflush(stdout);
        if (std::scanf("%lf", &f.coil_height) != 1) break;
        std::printf(" \n");
        std::printf("Please enter Window width: ");
        std::fflush(stdout);
        if (std::scanf("%lf", &f.window_width) != 1) break;
        std::printf(" \n");
        compute_mandrel(f);
        std::printf("DD coil height = %lf \n", f.coil_height);
        std::printf("Window width = %lf \n", f.window_width);
        std::printf("Offset width  = %lf \n", f.offset_width);
        std::printf(" \n");
        std::printf("Total length of all sides = L1 + L2 + L3 + L4 \n");
        std::printf(" \n");
        std::printf("L1 = %lf \n", f.l1);
        std::printf("L2 = %lf \n", f.l2);
        std::printf("L3 = %lf \n", f.l3);
        std::printf("L4 = %lf \n", f.l4);
        std::printf(" \n");
        std::printf("Total length of all sides = %lf \n", f.total_length);
        std::printf(" \n");
        std::printf("Spool mandrel diameter = Total length of all sides / Pi \n");
        std::printf(" \n");
        std::printf("Spool mandrel diameter = %lf \n", f.mandrel_diameter);
        std::printf(" \n");
        std::printf("Result: %lf \n", f.mandrel_diameter);
        std::printf(" \n");
        std::printf("------------------------------------------------ \n");
        std::printf(" \n");
        std::printf(" \n");
    }
    // The calculator ends the same way at the end of input.
    std::printf("\n");
    return 0;
}
