// The dialogue's words, exactly as the user reads them.  Every line ends
// in one blank before its newline; the two prompts end in a blank and no
// newline.  Each "%lf" figure of a line falls between a text and the one
// after it: the texts that close one figure's line and open the next are
// kept together, so that a report is a few block copies and ten numbers.
#ifndef VORLANE_CONSOLE_TEXTS_H
#define VORLANE_CONSOLE_TEXTS_H

#include <string_view>

namespace texts {

// clang-format off

// Opens every cycle; the value of pi goes between the two halves.
inline constexpr std::string_view header_before_pi =
    " \n"
    "------------------------------------------------ \n"
    "Vorlane v1.0a \n"
    " \n"
    "Const Pi = ";
inline constexpr std::string_view header_after_pi =
    " \n"
    " \n";

inline constexpr std::string_view height_prompt = "Enter DD coil height : ";
inline constexpr std::string_view width_prompt = "Please enter Window width: ";
inline constexpr std::string_view spacer = " \n";
inline constexpr std::string_view not_a_number = "Please enter a number. \n";

// The report, split around its ten figures.
inline constexpr std::string_view report_height = "DD coil height = ";
inline constexpr std::string_view report_width = " \nWindow width = ";
inline constexpr std::string_view report_offset = " \nOffset width  = ";
inline constexpr std::string_view report_l1 =
    " \n"
    " \n"
    "Total length of all sides = L1 + L2 + L3 + L4 \n"
    " \n"
    "L1 = ";
inline constexpr std::string_view report_l2 = " \nL2 = ";
inline constexpr std::string_view report_l3 = " \nL3 = ";
inline constexpr std::string_view report_l4 = " \nL4 = ";
inline constexpr std::string_view report_total =
    " \n"
    " \n"
    "Total length of all sides = ";
inline constexpr std::string_view report_diameter =
    " \n"
    " \n"
    "Spool mandrel diameter = Total length of all sides / Pi \n"
    " \n"
    "Spool mandrel diameter = ";
inline constexpr std::string_view report_result =
    " \n"
    " \n"
    "Result: ";
// Closes a cycle: the end of the Result line, a spacer, the separator and
// two spacers.
inline constexpr std::string_view report_end =
    " \n"
    " \n"
    "------------------------------------------------ \n"
    " \n"
    " \n";

// clang-format on

} // namespace texts

#endif
