// What the dialogue takes for a number: a whole token in plain decimal
// notation, and its value, the nearest binary64.
#ifndef VORLANE_CONSOLE_NUMBER_PARSE_H
#define VORLANE_CONSOLE_NUMBER_PARSE_H

#include <cstddef>
#include <string_view>

// The decimal point, whatever the system's language settings.
inline constexpr char decimal_point = '.';

// Longest token still taken for a number; longer ones are refused.
inline constexpr std::size_t longest_number = 4096;

// Whether token, all of it, is a decimal: an optional sign; digits, with
// an optional point and digits, but some digit before or after the point;
// an optional exponent, "e" or "E", an optional sign and digits.  If so,
// stores its value rounded to nearest, ties to even (to infinity or zero
// out of range).  Hexadecimal, "inf", "nan", "12,5", "100mm" are not.
bool parse_decimal(std::string_view token, double* value);

// Whether token is refused for its length alone: longer than the longest
// number, and the start of one as far as it goes (the reader keeps one
// byte more).
bool too_long_for_a_number(std::string_view token);

#endif
