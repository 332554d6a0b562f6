#include "console/decimal_number.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the token breaks the grammar, a position short of its end.
std::size_t decimal_prefix_length(std::string_view s)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (j == s.size() || !is_digit(s[j]))
            return 0; // "1e", "1e+": an exponent without digits
        while (j < s.size() && is_digit(s[j]))
            ++j;
        i = j;
    }
    return i;
}

// The decimal exponent of the leading significant digit, enough to tell
// overflow from underflow once the conversion has said "out of range".
// Saturates instead of wrapping on absurd exponents.
bool is_beyond_largest(std::string_view s)
{
    std::int64_t position = 0; // of the first nonzero digit, relative to the point
    bool seen_nonzero = false;
    bool after_point = false;
    std::int64_t leading_zeros_after_point = 0;
    std::int64_t integer_digits = 0;
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-')
        ++i;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        const char c = s[i];
        if (c == '.') {
            after_point = true;
        } else if (!after_point) {
            if (seen_nonzero || c != '0') {
                seen_nonzero = true;
                ++integer_digits;
            }
        } else if (!seen_nonzero) {
            if (c == '0')
                ++leading_zeros_after_point;
            else
                seen_nonzero = true;
        }
    }
    position = integer_digits > 0 ? integer_digits : -leading_zeros_after_point;
    std::int64_t exponent = 0;
    if (i < s.size()) {
        ++i;
        bool negative = false;
        if (s[i] == '+' || s[i] == '-')
            negative = s[i++] == '-';
        for (; i < s.size(); ++i) {
            if (exponent < 1000000000)
                exponent = exponent * 10 + (s[i] - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    return position + exponent > 0;
}

} // namespace

bool parse_decimal(std::string_view token, double* value)
{
    if (token.empty() || token.size() > longest_number || decimal_prefix_length(token) != token.size())
        return false;
    const bool negative = token[0] == '-';
    // from_chars takes neither a "+" nor the sign of a result it cannot
    // represent, so the sign is handled here.
    std::string_view magnitude = token;
    if (token[0] == '+' || token[0] == '-')
        magnitude.remove_prefix(1);
    double result = 0.0;
    const auto [end, error] =
        std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(), result, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        result = is_beyond_largest(magnitude) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc{} || end != magnitude.data() + magnitude.size()) {
        return false;
    }
    *value = negative ? -result : result;
    return true;
}
