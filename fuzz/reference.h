// What the fuzz targets hold the program to, written apart from it: which
// tokens are numbers, judged with the C library's strtod, and the "%lf"
// text of a value from snprintf.
#ifndef VORLANE_FUZZ_REFERENCE_H
#define VORLANE_FUZZ_REFERENCE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace reference {

// A number is a token of at most 4096 characters, made only of digits,
// signs, points and e, that strtod in the C locale reads whole.  The
// alphabet keeps out what strtod takes and the program does not:
// hexadecimal, "inf", "nan", leading white space.
inline bool is_number(std::string_view token, double* value)
{
    if (token.empty() || token.size() > 4096)
        return false;
    if (token.find_first_not_of("0123456789+-.eE") != std::string_view::npos)
        return false;
    const std::string text(token);
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

inline std::string figure_text(double x)
{
    if (std::isnan(x))
        return "nan";
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%.6f", x);
    return std::string(text, static_cast<std::size_t>(n));
}

} // namespace reference

#endif
