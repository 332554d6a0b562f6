// The dialogue with the user: header, the two questions, the report, the
// pause, over and over until the input ends.
#ifndef VORLANE_CONSOLE_DIALOGUE_H
#define VORLANE_CONSOLE_DIALOGUE_H

#include <cstddef>
#include <string_view>

// The program's exit statuses.
inline constexpr int exit_done = 0;          // the input ended, or a quit word came
inline constexpr int exit_failed = 1;        // a read or a write failed, told on standard error
inline constexpr int exit_usage = 2;         // an argument it does not take
inline constexpr int exit_input_refused = 3; // from a file or a pipe: some of it was refused

// Runs the dialogue over standard input and output, and returns the exit
// status.  Where the sizes come from a file or a pipe, each refusal, and
// an input that ends after a height without its width, is told on
// standard error too, with its line.
int run_dialogue();

// The same over the given descriptors; the pause waits for a key only
// where input_fd is a terminal.
int run_dialogue_over(int input_fd, int output_fd, int error_fd);

// Text the program shows that came from outside (a refused token, an
// argument): printable ASCII only, each other byte as "?", so that no
// control or escape sequence can act on the terminal; and cut short after
// 20 characters, with "...".  Writes at most shown_max_length bytes at out
// and returns how many.
inline constexpr std::size_t shown_max_length = 23;
std::size_t show_safely(std::string_view text, char* out);

// "vorlane: what: reason" on error_fd, in one write so that it stays one
// line.
void report_error(int error_fd, std::string_view what, int error);

#endif
