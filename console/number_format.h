// Numbers in the report's "%lf" form, correctly rounded from the exact
// binary value, ties to even: the text of printf("%lf") in the classic
// locale, whatever the process's locale, "-0.000000" and "-inf" included;
// but a NaN is "nan" whatever its sign, which no processor agrees on.
#ifndef VORLANE_CONSOLE_NUMBER_FORMAT_H
#define VORLANE_CONSOLE_NUMBER_FORMAT_H

#include <cstdint>

// Longest result: "-", 309 integer digits, ".", six decimals.
inline constexpr int figure_max_length = 317;

// Writes the text of value at out, which has room for figure_max_length
// bytes, and returns the end of it.  No terminating NUL.
char* format_figure(double value, char* out);

// Writes n in decimal digits at out, which has room for 20, and returns
// the end: the one writer of digits in the program.
char* put_decimal(std::uint64_t n, char* out);

#endif
