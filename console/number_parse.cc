#include "console/number_parse.h"

#include <charconv>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool is_digit(char c)
{
    return c >= '0' && c <= '9';
}

// How far the token follows the grammar; a whole number only if this is
// its length.
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

// An unsigned decimal that follows the grammar, as kept * 10^scale, where
// kept holds its first (at most 19) significant digits; the digits beyond
// those only raise the scale.  Whether any of them was nonzero needs no
// note: they exist only once kept has 19 digits, far beyond the exact
// path's 2^53.
struct decimal_parts {
    std::uint64_t kept = 0;
    int kept_digits = 0;
    std::int64_t scale = 0; // saturates far beyond any binary64 exponent
};

decimal_parts split_decimal(std::string_view s)
{
    decimal_parts d;
    std::size_t i = 0;
    bool after_point = false;
    for (; i < s.size() && s[i] != 'e' && s[i] != 'E'; ++i) {
        if (s[i] == '.') {
            after_point = true;
            continue;
        }
        const auto digit = static_cast<unsigned>(s[i] - '0');
        if (d.kept_digits == 0 && digit == 0) {
            if (after_point)
                --d.scale; // a leading zero after the point
        } else if (d.kept_digits < 19) {
            d.kept = d.kept * 10 + digit;
            ++d.kept_digits;
            if (after_point)
                --d.scale;
        } else if (!after_point) {
            ++d.scale;
        }
    }
    if (i < s.size()) {
        // The grammar has been checked: an "e" is followed by an optional
        // sign and at least one digit, so these reads stay in the token.
        ++i;
        bool negative = false;
        if (s[i] == '+' || s[i] == '-')
            negative = s[i++] == '-';
        std::int64_t written = 0;
        for (; i < s.size(); ++i) {
            if (written < 1000000000)
                written = written * 10 + (s[i] - '0');
        }
        d.scale += negative ? -written : written;
    }
    return d;
}

// Most typed sizes have few digits and a small exponent: then the value is
// one correctly rounded multiplication or division of two exact doubles
// (Clinger's fast path).  It is done here rather than left to from_chars,
// because the standard library of 32-bit x86 targets is built for the x87,
// whose wider registers round that product twice; this file is built for
// SSE2 arithmetic.
bool convert_exactly(decimal_parts d, double* value)
{
    static constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t exact_limit = std::uint64_t{1} << 53;
    if (d.kept == 0) {
        *value = 0.0;
        return true;
    }
    if (d.kept > exact_limit || d.scale < -22)
        return false;
    // 123e25 is 1230000e22: the surplus goes into the digits while they
    // stay exact.
    while (d.scale > 22 && d.kept <= exact_limit / 10) {
        d.kept *= 10;
        --d.scale;
    }
    if (d.scale > 22)
        return false;
    const auto digits = static_cast<double>(d.kept);
    *value = d.scale >= 0 ? digits * powers_of_ten[d.scale] : digits / powers_of_ten[-d.scale];
    return true;
}

// The rest: many digits, or exponents far from 1.  Correctly rounded by
// the standard library.
double convert_by_library(std::string_view magnitude, const decimal_parts& parts)
{
#if defined(__cpp_lib_to_chars)
    double result = 0.0;
    const auto outcome =
        std::from_chars(magnitude.data(), magnitude.data() + magnitude.size(), result, std::chars_format::general);
    if (outcome.ec == std::errc::result_out_of_range) {
        // Beyond the largest double or below half the least, and from_chars
        // leaves the result alone: the leading digit's place tells which.
        const bool too_large = parts.scale + parts.kept_digits > 0;
        result = too_large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return result;
#else
    // Standard libraries without a floating-point from_chars (older
    // libc++): strtod, which rounds the same way and gives infinity or the
    // nearest subnormal out of range.  The program never sets a locale, so
    // the C library's decimal point is still ".".
    static_cast<void>(parts);
    char text[longest_number + 1];
    magnitude.copy(text, magnitude.size());
    text[magnitude.size()] = '\0';
    return std::strtod(text, nullptr);
#endif
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
    const decimal_parts parts = split_decimal(magnitude);
    double result = 0.0;
    if (!convert_exactly(parts, &result))
        result = convert_by_library(magnitude, parts);
    *value = negative ? -result : result;
    return true;
}
