// What the program tells on standard error, and the exit status that tells a script how it went.
#ifndef VORLANE_CONSOLE_DIAGNOSTICS_H
#define VORLANE_CONSOLE_DIAGNOSTICS_H

#include <cstddef>
#include <initializer_list>
#include <string_view>

inline constexpr int exit_done = 0;
inline constexpr int exit_failed = 1;
inline constexpr int exit_usage = 2;
inline constexpr int exit_input_refused = 3;

// What each means, as --help lists them.
struct exit_status_meaning {
    int status;
    std::string_view meaning;
};
inline constexpr exit_status_meaning exit_statuses[] = {
    {exit_done, "the input ended, or a quit word came, and nothing was refused"},
    {exit_failed, "the input could not be read, or the report could not be written"},
    {exit_usage, "an argument it does not take"},
    {exit_input_refused, "sizes from a file or a pipe, or for --csv, were refused, or the input ended\n"
                         "    after a coil height without its window width"},
};

// Text from outside (a refused token, an argument) as shown: printable ASCII, other bytes "?", so that none acts on the
// terminal, cut after 20 characters with "...".  Writes shown_max_length bytes at most, and returns how many.
inline constexpr std::size_t shown_max_length = 23;
std::size_t show_safely(std::string_view text, char* out);

// A message gathered in one buffer for one write, so that a line of standard error stays one line; what overflows goes.
struct message {
    char text[2048];
    std::size_t length = 0;

    void add(std::string_view part);
    bool write_to(int fd, int* error) const;
};

// "vorlane: " and the parts, on error_fd, as every line there begins.
void report(int error_fd, std::initializer_list<std::string_view> parts);

// "vorlane: what: reason" on error_fd.
void report_error(int error_fd, std::string_view what, int error);

// "vorlane: line N" and the parts, on error_fd.
void report_at_line(int error_fd, std::size_t line, std::string_view first, std::string_view second,
                    std::string_view third);

#endif
