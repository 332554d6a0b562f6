// The dialogue's words as read, in order: lines end in a blank and a newline, prompts in a blank; "%lf" is a figure.
#ifndef VORLANE_CONSOLE_DIALOGUE_TEXTS_H
#define VORLANE_CONSOLE_DIALOGUE_TEXTS_H

#include <cstdlib>
#include <string_view>

#include "console/number_parse.h"

// A line with one figure, split at "%lf" at compile time; without "%lf", or with two, it does not build (abort).
struct figure_line {
    std::string_view before;
    std::string_view after;

    consteval explicit figure_line(std::string_view line)
        : before(line.substr(0, line.find("%lf"))), after(line.substr(before.size() + 3)) {
        if (before.size() == line.size() || after.find("%lf") != std::string_view::npos) std::abort();
    }
};

namespace texts {

// clang-format off

// Lines that stand alone, and the two questions.
inline constexpr std::string_view spacer    = " \n";
inline constexpr std::string_view separator = "------------------------------------------------ \n";
inline constexpr std::string_view banner    = "Vorlane v1.0a \n";

inline constexpr std::string_view height_prompt = "Enter DD coil height : ";
inline constexpr std::string_view width_prompt  = "Please enter Window width: ";

// The header's figure line, and the report's lines.
inline constexpr figure_line pi_line{"Const Pi = %lf \n"};
inline constexpr figure_line      height_line           {"DD coil height = %lf \n"};
inline constexpr figure_line      width_line            {"Window width = %lf \n"};
inline constexpr figure_line      offset_line           {"Offset width  = %lf \n"};
inline constexpr std::string_view total_formula_line   = "Total length of all sides = L1 + L2 + L3 + L4 \n";
inline constexpr figure_line      l1_line               {"L1 = %lf \n"};
inline constexpr figure_line      l2_line               {"L2 = %lf \n"};
inline constexpr figure_line      l3_line               {"L3 = %lf \n"};
inline constexpr figure_line      l4_line               {"L4 = %lf \n"};
inline constexpr figure_line      total_line            {"Total length of all sides = %lf \n"};
inline constexpr std::string_view diameter_formula_line = "Spool mandrel diameter = Total length of all sides / Pi \n";
inline constexpr figure_line      diameter_line         {"Spool mandrel diameter = %lf \n"};
inline constexpr figure_line      result_line           {"Result: %lf \n"};

// Between two cycles, while standard input is a terminal.
inline constexpr std::string_view pause_prompt = "Press any key to continue . . . ";

// A token that is not a number, named as show_safely shows it; a second line tells when the rest of its line went too.
inline constexpr std::string_view refusal_before_token = "Not a number: \"";
inline constexpr std::string_view refusal_after_token  = "\" (write digits, with a point for decimals, as in 12.5) \n";
inline constexpr std::string_view refusal_rest_skipped = "The rest of that line was skipped too. \n";
inline constexpr std::string_view token_cut_short      = "...";
// And one that is a number but for its length:
inline constexpr std::string_view too_long_before_token = "Too long for a number: \"";
inline constexpr std::string_view too_long_after_token  = "\" (a number has at most 4096 characters) \n";

// Words that end the dialogue where a number is asked for, in any letter case; --help lists them.
inline constexpr std::string_view quit_words[] = {"q", "quit", "exit"};

// On standard error after the program's name, for sizes from a file or a pipe, with the token's line:
//   vorlane: line 2: not a number: "12,5"
//   vorlane: line 3: the input ended after the coil height 150.000000, before its window width
inline constexpr std::string_view program_prefix         = "vorlane: ";
inline constexpr std::string_view error_at_line          = "line ";
inline constexpr std::string_view error_not_a_number     = ": not a number: \"";
inline constexpr std::string_view error_too_long         = ": too long for a number: \"";
inline constexpr std::string_view error_not_a_number_end = "\"\n";
inline constexpr figure_line      error_unfinished_pair  {": the input ended after the coil height %lf, before its window width\n"};

// clang-format on

// The refusals name the longest number, and their example has the decimal point that the reader takes.
static_assert(longest_number == 4096, "the refusal of a long number names the longest number's length");
inline constexpr char example_number[] = {'1', '2', decimal_point, '5'};
static_assert(refusal_after_token.find(std::string_view(example_number, sizeof example_number)) !=
                  std::string_view::npos,
              "the refusal's example of a number has the decimal point that the reader takes");

// vorlane --csv: RFC 4180, so CR LF ends each row; the columns in the report's words, a row of its figures per coil.
inline constexpr std::string_view table_header =
    "DD coil height,Window width,Offset width,L1,L2,L3,L4,Total length of all sides,Spool mandrel diameter\r\n";
inline constexpr figure_line table_cell{"%lf,"};
inline constexpr figure_line table_last_cell{"%lf\r\n"};

// vorlane --help: usage, the quit words, usage_options, the exit statuses (diagnostics.h), usage_end.
inline constexpr std::string_view usage = "Usage: vorlane [--csv]\n"
                                          "       vorlane < sizes.txt > report.txt\n"
                                          "       vorlane --csv < sizes.txt > sizes.csv\n"
                                          "\n"
                                          "Works out the winding of a DD coil: from the coil height and the window\n"
                                          "width, the four side lengths, their total, and the diameter of the round\n"
                                          "spool mandrel whose circumference equals that total.\n"
                                          "\n"
                                          "Type the two sizes at the prompts (both may stand on one line); after the\n"
                                          "report, any key asks again.  Or give a table of sizes on standard input,\n"
                                          "two numbers per coil: it runs straight through, without pausing.\n"
                                          "\n"
                                          "To end it, press Ctrl-D (on Windows Ctrl-Z, then Enter) or Ctrl-C, or\n"
                                          "type one of these words where a number is asked for, in any letter case:\n";
inline constexpr std::string_view usage_options =
    "\n"
    "\n"
    "      --csv      write a table for spreadsheets instead: CSV, a header\n"
    "                 row, then one row of figures per coil\n"
    "  -h, --help     show this text (also /?)\n"
    "      --version  show the version\n"
    "\n"
    "Exit status:\n";
inline constexpr std::string_view usage_end =
    "\nThe manual: man vorlane (on Windows, README.txt beside vorlane.exe).\n";

// vorlane --version, as GNU programs write it.
inline constexpr std::string_view version_before = "vorlane ";
inline constexpr std::string_view version_after = "\nCopyright (C) 2026 The Vorlane developers.\n"
                                                  "License MIT: <https://opensource.org/license/mit>.\n"
                                                  "This is free software: you are free to change and redistribute it.\n"
                                                  "There is NO WARRANTY, to the extent permitted by law.\n";

// Any other argument:
//   vorlane: unexpected argument "sizes.txt" (sizes are read from standard input: vorlane < sizes.txt)
//   Try 'vorlane --help' for more information.
inline constexpr std::string_view refused_argument_before = "unexpected argument \"";
inline constexpr std::string_view refused_argument_after =
    "\" (sizes are read from standard input: vorlane < sizes.txt)\n"
    "Try 'vorlane --help' for more information.\n";

} // namespace texts

#endif
