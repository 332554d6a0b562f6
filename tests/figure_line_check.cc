// Compiled by the tests, never built: a figure line of the dialogue's texts
// holds exactly one "%lf", or it does not build.
#include "console/dialogue_texts.h"

#if FIGURE_LINE_CASE == 0
constexpr figure_line line{"Result: %lf \n"};
#elif FIGURE_LINE_CASE == 1
constexpr figure_line line{"Result: \n"};
#else
constexpr figure_line line{"L1 = %lf, L2 = %lf \n"};
#endif

int main()
{
    return static_cast<int>(line.after.size());
}
