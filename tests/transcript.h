// What the user should see, written out from the dialogue's definition
// independently of the program's own text tables, and a way to run the
// dialogue on given input and collect what it wrote.
#ifndef VORLANE_TESTS_TRANSCRIPT_H
#define VORLANE_TESTS_TRANSCRIPT_H

#include <string>
#include <vector>

namespace transcript {

inline const std::string spacer = " \n";

// The header that opens every cycle, up to and including the spacer
// after the pi line.
std::string header();

inline const std::string height_prompt = "Enter DD coil height : ";
inline const std::string width_prompt = "Please enter Window width: ";
// At a terminal, between two cycles.
inline const std::string pause_prompt = "Press any key to continue . . . ";
// The notice for a refused token shown as shown, where no echoed Enter
// ended the prompt's line (input from a file, or typed ahead), so that a
// line break comes first; with rest_skipped, more than blanks went with
// the token; too_long: a number but for its length.
std::string refusal(const std::string& shown, bool rest_skipped = false, bool too_long = false);

// The lines on standard error, where the input comes from a file or a
// pipe: a refused token, shown as shown, on its line; and an input that
// ends after a coil height, printed as printed, on its line.
std::string refusal_error(int line, const std::string& shown, bool too_long = false);
std::string unfinished_error(int line, const std::string& height);

// The report and the cycle's close, from the nine printed figures:
// coil height, window width, offset width, L1, L2, L3, L4, total and
// mandrel diameter (printed twice).
std::string report(const std::vector<std::string>& figures);

// A whole cycle whose two answers were accepted at the first asking.
std::string cycle(const std::vector<std::string>& figures);

// What is written when the input ends at the height prompt of a new cycle.
std::string ending();

// The figures of the 100 by 20 coil.
std::vector<std::string> figures_100_by_20();

struct run_result {
    std::string output;
    std::string errors;
    int status;
};

// Runs the dialogue in this process over temporary files holding input.
run_result run_on(const std::string& input);

} // namespace transcript

#endif
