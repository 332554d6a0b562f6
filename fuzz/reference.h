// What the fuzz targets hold the program to, written apart from it: which
// tokens are numbers, judged with the C library's strtod, and the "%lf"
// text of a value from snprintf.  Only the definitions are the program's:
// the decimal point and the longest token.
#ifndef VORLANE_FUZZ_REFERENCE_H
#define VORLANE_FUZZ_REFERENCE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/number_parse.h"

namespace reference {

// A number is a token of at most longest_number characters, made only of
// digits, signs, decimal points and e, that strtod in the C locale reads
// whole, with its decimal point for the program's.  The alphabet keeps out
// what strtod takes and the program does not: hexadecimal, "inf", "nan",
// leading white space.
inline bool is_number(std::string_view token, double* value) {
    if (token.empty() || token.size() > longest_number) return false;
    const char alphabet[] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '+', '-', 'e', 'E', decimal_point};
    if (token.find_first_not_of(std::string_view(alphabet, sizeof alphabet)) != std::string_view::npos) return false;
    std::string text(token);
    for (char& c : text) c = c == decimal_point ? '.' : c;
    char* end = nullptr;
    *value = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

inline std::string figure_text(double x) {
    if (std::isnan(x)) return "nan";
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%.6f", x);
    return std::string(text, static_cast<std::size_t>(n));
}

} // namespace reference

#endif
