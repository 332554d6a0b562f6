// Numbers in the report's "%lf" form, correctly rounded, ties to even: printf("%lf")'s text in the classic locale,
// "-0.000000" and "-inf" included, whatever the locale; but a NaN is "nan" whatever its sign, as processors disagree.
#ifndef VORLANE_CONSOLE_NUMBER_FORMAT_H
#define VORLANE_CONSOLE_NUMBER_FORMAT_H

#include <cstdint>

// Longest result: "-", 309 integer digits, ".", six decimals.
inline constexpr int figure_max_length = 317;

// Writes value's text at out, with room for figure_max_length bytes, and returns its end; no terminating NUL.
char* format_figure(double value, char* out);

// Writes n in decimal digits at out (room for 20) and returns the end: the one writer of digits in the program.
char* put_decimal(std::uint64_t n, char* out);

#endif
