// Standard input as a stream of white-space separated tokens, read through
// the program's own buffer.  Whatever is read ahead stays in the buffer for
// the next read, so numbers typed beyond what a cycle needs are kept for
// the following cycles, and the pause between cycles cannot swallow them.
// Memory stays the same whatever the input: a token is kept only up to
// one byte more than the longest number, and the rest of it skipped.
#ifndef VORLANE_CONSOLE_STREAM_INPUT_H
#define VORLANE_CONSOLE_STREAM_INPUT_H

#include <cstddef>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

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

// ok: done.  ended: the input ended first.  failed: a read failed (error
// says why) or the flush before a wait did (the output's error says why).
enum class input_status { ok, ended, failed };

void init_reader(token_reader& in, int fd);

// The next token.  Before the reader would wait for input, out is flushed,
// so that whatever is asked is on the screen.  A token longer than the
// longest number comes back cut to longest_number + 1 bytes, which no
// number is.
input_status next_token(token_reader& in, output_buffer& out, std::string_view* token);

// Drops the rest of the line that the last token stood on, and tells
// whether anything but blanks was on it.
input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text);

// What the pause between two cycles needs: it looks at input as it
// arrives, takes at most one key press of it, and leaves the rest unread
// for the next questions.

// The bytes read but not yet used.
inline std::string_view unread_input(const token_reader& in)
{
    return std::string_view(in.data + in.next, in.end - in.next);
}

// Takes the first count unread bytes as used.
inline void drop_input(token_reader& in, std::size_t count)
{
    in.next += count;
}

// Whether only white space is unread, which the next question would skip
// anyway: no input typed ahead.
bool only_blanks_unread(const token_reader& in);

enum class arrival { some, none, interrupted, stopped };

// Reads what arrives within wait_ms milliseconds (forever if negative, 0
// for only what is already there) behind the unread bytes, using none of
// it.  some: bytes came.  none: none came in time, or the buffer is full
// and what it holds must be used first.  interrupted: a signal handler ran.
// stopped: the input has ended or failed.
arrival take_arriving_input(token_reader& in, int wait_ms);

#endif
