#include "console/number_parse.h"

#include <system_error>

#include <fast_float/fast_float.h>

// What a number is, and why a token is not one, is the dialogue's own
// grammar, below.  The value of a token that passes it comes from
// fast_float, compiled into the program: correctly rounded, with no C++
// runtime at run time, and exact on 32-bit x86 too, as the build does its
// arithmetic in SSE2 there (cmake/exact_float.cmake), not on the x87.

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// The end of the run of digits that starts at i.
std::size_t digits_end(std::string_view s, std::size_t i)
{
    while (i < s.size() && is_digit(s[i]))
        ++i;
    return i;
}

// Whether s, all of it, is a decimal without its sign: digits with an
// optional point and more digits, or a point and digits; then, optionally,
// "e" or "E", a sign if any, and digits.
bool is_unsigned_decimal(std::string_view s)
{
    std::size_t i = digits_end(s, 0);
    std::size_t digits = i;
    if (i < s.size() && s[i] == decimal_point) {
        const std::size_t fraction = i + 1;
        i = digits_end(s, fraction);
        digits += i - fraction;
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        const std::size_t exponent = i;
        i = digits_end(s, exponent);
        if (i == exponent)
            return false;
    }
    return i == s.size();
}

} // namespace

bool parse_decimal(std::string_view token, double* value)
{
    if (token.empty() || token.size() > longest_number)
        return false;
    const bool negative = token[0] == '-';
    std::string_view magnitude = token;
    if (token[0] == '+' || token[0] == '-')
        magnitude.remove_prefix(1);
    if (!is_unsigned_decimal(magnitude))
        return false;
    const char* const end = magnitude.data() + magnitude.size();
    double result = 0;
    constexpr fast_float::parse_options options(fast_float::chars_format::general, decimal_point);
    const auto read = fast_float::from_chars_advanced(magnitude.data(), end, result, options);
    // The library reads whole whatever the grammar takes.  Out of range,
    // newer versions of it say so, and give the infinity or the zero all
    // the same.
    if (read.ptr != end || (read.ec != std::errc() && read.ec != std::errc::result_out_of_range))
        return false;
    *value = negative ? -result : result;
    return true;
}
