#include "console/number_parse.h"

#include <system_error>

#include <fast_float/fast_float.h>

// The grammar is the dialogue's own.  The value comes from fast_float, compiled in: correctly rounded, without the C++
// runtime, and exact on 32-bit x86 too, where the build uses SSE2 (cmake/exact_float.cmake).

namespace {

const char* digits_end(const char* p, const char* end) {
    while (p != end && static_cast<unsigned char>(*p - '0') < 10) ++p;
    return p;
}

// Whether text, all of it, is a decimal without its sign (see parse_decimal); cut: or the start of one.
bool is_unsigned_decimal(std::string_view text, bool cut = false) {
    const char* const end = text.data() + text.size();
    const char* p = digits_end(text.data(), end);
    bool has_digits = p != text.data();
    if (p != end && *p == decimal_point) {
        const char* const fraction = p + 1;
        p = digits_end(fraction, end);
        has_digits = has_digits || p != fraction;
    }
    if (!has_digits && !(cut && p == end)) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-')) ++p;
        const char* const exponent = p;
        p = digits_end(exponent, end);
        if (p == exponent && !(cut && p == end)) return false;
    }
    return p == end;
}

std::string_view without_sign(std::string_view token) {
    if (!token.empty() && (token[0] == '+' || token[0] == '-')) token.remove_prefix(1);
    return token;
}

} // namespace

bool too_long_for_a_number(std::string_view token) {
    return token.size() > longest_number && is_unsigned_decimal(without_sign(token), true);
}

bool parse_decimal(std::string_view token, double* value) {
    if (token.empty() || token.size() > longest_number) return false;
    const bool negative = token[0] == '-';
    const std::string_view magnitude = without_sign(token);
    if (!is_unsigned_decimal(magnitude)) return false;
    const char* const end = magnitude.data() + magnitude.size();
    double result = 0;
    constexpr fast_float::parse_options options(fast_float::chars_format::general, decimal_point);
    const auto read = fast_float::from_chars_advanced(magnitude.data(), end, result, options);
    // The library reads whole what the grammar takes; newer versions say "out of range", giving infinity or zero.
    if (read.ptr != end || (read.ec != std::errc() && read.ec != std::errc::result_out_of_range)) return false;
    *value = negative ? -result : result;
    return true;
}
