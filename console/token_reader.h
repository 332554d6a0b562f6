// Standard input as a stream of white-space separated tokens, read through
// the program's own buffer.  Whatever is read ahead stays in the buffer for
// the next read, so numbers typed beyond what a cycle needs are kept for
// the following cycles, and the pause between cycles cannot swallow them.
// Memory stays the same whatever the input: a token is kept only up to
// one byte more than the longest number, and the rest of it skipped.
#ifndef VORLANE_CONSOLE_TOKEN_READER_H
#define VORLANE_CONSOLE_TOKEN_READER_H

#include <cstddef>
#include <string_view>

#include "console/decimal_number.h"
#include "console/output_buffer.h"

inline constexpr std::size_t input_capacity = std::size_t{1} << 16;

struct token_reader {
    int fd;
    bool from_terminal; // someone types at a terminal: asked once, at the start
    int error;          // the read error, once one has happened
    bool at_end;        // end of input has been met
    bool line_ended;    // the last token was ended by a newline
    std::size_t next;   // first unread byte in data
    std::size_t end;    // end of what has been read into data
    char data[input_capacity];
    char token[longest_number + 1];
};

// output_failed: the flush before a wait failed, so the question could
// not be asked, and out.error says why.
enum class token_status { token, end_of_input, read_error, output_failed };

void init_reader(token_reader& in, int fd);

// The next token.  Before the reader would wait for input, out is flushed,
// so that whatever is asked is on the screen.  A token longer than the
// longest number comes back cut to longest_number + 1 bytes, which no
// number is.
token_status next_token(token_reader& in, output_buffer& out, std::string_view* token);

// Drops the rest of the line that the last token stood on.
token_status skip_line(token_reader& in, output_buffer& out);

// Bytes already read from the input but not yet used.
inline std::size_t pending_bytes(const token_reader& in)
{
    return in.end - in.next;
}

// Takes more bytes into the buffer, after flushing out; for a caller who
// knows they are there to be read at once (the pause, draining lines a
// terminal has already completed).
token_status fill_reader(token_reader& in, output_buffer& out);

#endif
