// Standard input as white-space separated tokens through the program's own buffer: what is read ahead stays for later
// cycles, and the pause cannot swallow it.  A token is kept up to one byte more than the longest number, so memory
// stays the same whatever the input.  At a terminal, whole lines come from terminal.h.
#ifndef VORLANE_CONSOLE_STREAM_INPUT_H
#define VORLANE_CONSOLE_STREAM_INPUT_H

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

inline constexpr std::size_t input_capacity = std::size_t{1} << 16;

// White space as the C locale has it.  Asked of every byte read, so tested as one bit of a mask.
inline bool is_space(char c) {
    constexpr std::uint64_t spaces = std::uint64_t{1} << ' ' | std::uint64_t{1} << '\t' | std::uint64_t{1} << '\n' |
                                     std::uint64_t{1} << '\v' | std::uint64_t{1} << '\f' | std::uint64_t{1} << '\r';
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' && (spaces >> byte & 1) != 0;
}

struct token_reader;

// ok: done; ended: the input ended first; failed: a read (error says why) or the flush before a wait (out's) failed.
enum class input_status { ok, ended, failed };

// At a terminal, appends the next whole line, newline included, at data[end].
using line_source = input_status (*)(token_reader& in, output_buffer& out);

struct token_reader {
    int fd;
    bool from_terminal;      // someone types at a terminal: asked once, at the start
    int error;               // the read error, once one has happened
    bool at_end;             // end of input has been met
    bool line_ended;         // the last token was ended by a newline
    std::size_t line;        // the line that reading has come to, from 1
    std::size_t token_line;  // the line of the last token
    std::size_t next;        // first unread byte in data
    std::size_t end;         // end of what has been read into data
    line_source source;      // at a terminal only
    std::string_view prompt; // the question that the input now answers
    std::size_t shown;       // data[shown, next) is taken, not yet shown after its question
    char data[input_capacity];
    char token[longest_number + 1];
};

void init_reader(token_reader& in, int fd);

// The next token, out flushed before any wait; one longer than a number may be comes cut to longest_number + 1 bytes.
input_status next_token(token_reader& in, output_buffer& out, std::string_view* token);

// Drops the rest of the line that the last token stood on, and tells whether anything but blanks was on it.
input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text);

// Whether only white space, which answers nothing, is unread; drop_unread drops it, as the pause does.
bool only_blanks_unread(const token_reader& in);
void drop_unread(token_reader& in);

#endif
