// Compiled by the tests, never built: a figure line of the dialogue's texts
// holds exactly one "%lf", and a line that shows a figure again stands
// after the line that shows it first, or it does not build.
#include "console/report_lines.h"

inline constexpr figure_line diameter{"Spool mandrel diameter = %lf \n"};
#if FIGURE_LINE_CASE == 0
inline constexpr figure_line line{"Result: %lf \n"};
#elif FIGURE_LINE_CASE == 1
inline constexpr figure_line line{"Result: \n"};
#elif FIGURE_LINE_CASE == 2
inline constexpr figure_line line{"L1 = %lf, L2 = %lf \n"};
#endif

void put_both(output_buffer& out)
{
#if FIGURE_LINE_CASE == 3
    put_lines(out, figure_again<diameter, diameter>{}, figure<diameter>{1.0});
#else
    put_lines(out, figure<diameter>{1.0}, figure_again<line, diameter>{});
#endif
}

int main() {}
