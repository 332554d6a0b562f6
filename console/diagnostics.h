// What the program tells on standard error, and the exit status that tells
// a script how it went.
#ifndef VORLANE_CONSOLE_DIAGNOSTICS_H
#define VORLANE_CONSOLE_DIAGNOSTICS_H

#include <cstddef>
#include <string_view>

inline constexpr int exit_done = 0;          // the input ended, or a quit word came
inline constexpr int exit_failed = 1;        // a read or a write failed, told on standard error
inline constexpr int exit_usage = 2;         // an argument it does not take
inline constexpr int exit_input_refused = 3; // from a file or a pipe: some of it was refused

// Text the program shows that came from outside (a refused token, an
// argument): printable ASCII only, each other byte as "?", so that no
// control or escape sequence can act on the terminal; and cut short after
// 20 characters, with "...".  Writes at most shown_max_length bytes at out
// and returns how many.
inline constexpr std::size_t shown_max_length = 23;
std::size_t show_safely(std::string_view text, char* out);

// "vorlane: what: reason" on error_fd.
void report_error(int error_fd, std::string_view what, int error);

// "vorlane: line N" and the parts, on error_fd.
void report_at_line(int error_fd, std::size_t line, std::string_view first, std::string_view second = {},
                    std::string_view third = {});

#endif
