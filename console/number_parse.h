// What the dialogue takes for a number: a whole token in plain decimal notation, and its value, the nearest binary64.
#ifndef VORLANE_CONSOLE_NUMBER_PARSE_H
#define VORLANE_CONSOLE_NUMBER_PARSE_H

#include <cstddef>
#include <string_view>

// The decimal point, whatever the system's language settings.
inline constexpr char decimal_point = '.';

// Longest token still taken for a number; longer ones are refused.
inline constexpr std::size_t longest_number = 4096;

// Whether token, all of it, is a decimal: optional sign; digits, optional point and digits, with a digit on a side of
// the point; optional exponent ("e" or "E", optional sign, digits).  If so, stores it rounded to nearest, ties to even,
// out of range to infinity or zero.  "0x10", "inf", "nan", "12,5" and "100mm" are no numbers.
bool parse_decimal(std::string_view token, double* value);

// Whether token is refused for its length alone: longer than a number may be, and the start of one as far as it goes.
bool too_long_for_a_number(std::string_view token);

#endif
