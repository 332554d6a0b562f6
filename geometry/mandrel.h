// The coil geometry: from a DD coil's height and window width to its four sides, their total and the diameter of the
// round mandrel of that perimeter, each figure defined to the last bit by plain binary64 steps in a fixed order.
#ifndef VORLANE_GEOMETRY_MANDREL_H
#define VORLANE_GEOMETRY_MANDREL_H

// The binary64 number nearest to pi (0x400921FB54442D18), the program's only pi; every cycle's header prints it.
inline constexpr double pi = 3.141592653589793;

// One cycle's figures, in whatever unit the inputs were typed in.
struct mandrel_figures {
    double coil_height;      // input
    double window_width;     // input
    double half_height;      // coil_height / 2
    double offset_width;     // window_width / 2: radius of the two quarter arcs
    double l1;               // half circle over the coil height
    double l2;               // straight side: coil height less the window width
    double l3;               // quarter circle of radius offset_width
    double l4;               // the other quarter circle, equal to l3
    double total_length;     // l1 + l2 + l3 + l4
    double mandrel_diameter; // the diameter whose circumference is total_length
};

// Fills the derived fields from the two inputs; every pair, zero, negative, infinite or NaN, takes the same steps.
void compute_mandrel(mandrel_figures& figures);

#endif
