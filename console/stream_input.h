// Standard input as a stream of white-space separated tokens, read through
// the program's own buffer.  Whatever is read ahead stays in the buffer for
// the next read, so numbers typed beyond what a cycle needs are kept for
// the following cycles, and the pause between cycles cannot swallow them.
// Memory stays the same whatever the input: a token is kept only up to
// one byte more than the longest number, and the rest of it skipped.
// The markers that a terminal in bracketed-paste mode puts around a paste
// are white space here, wherever they come.
#ifndef VORLANE_CONSOLE_STREAM_INPUT_H
#define VORLANE_CONSOLE_STREAM_INPUT_H

#include <cstddef>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

inline constexpr std::size_t input_capacity = std::size_t{1} << 16;

// The two markers a terminal in bracketed-paste mode puts around a paste.
inline constexpr std::string_view paste_opens = "\x1b[200~";
inline constexpr std::string_view paste_closes = "\x1b[201~";

struct token_reader {
    int fd;
    bool from_terminal;     // someone types at a terminal: asked once, at the start
    bool shows_unechoed;    // and sees the answers on a terminal too
    int error;              // the read error, once one has happened
    bool at_end;            // end of input has been met
    bool line_ended;        // the last token was ended by a newline
    std::size_t line;       // the line that reading has come to, from 1
    std::size_t token_line; // the line of the last token
    std::size_t next;       // first unread byte in data
    std::size_t end;        // end of what has been read into data
    // data[unshown, unechoed_end) came while the terminal did not echo (at
    // the pause) and has not been shown yet.
    std::size_t unshown;
    std::size_t unechoed_end;
    char data[input_capacity];
    char token[longest_number + 1];
};

// ok: done.  ended: the input ended first.  failed: a read failed (error
// says why) or the flush before a wait did (the output's error says why).
enum class input_status { ok, ended, failed };

// Reads fd; out is where the answers are seen.
void init_reader(token_reader& in, int fd, const output_buffer& out);

// The next token.  Before the reader would wait for input, out is flushed,
// so that whatever is asked is on the screen.  A token longer than the
// longest number comes back cut to longest_number + 1 bytes, which no
// number is.  An answer that the terminal did not echo is shown in out as
// it is reached, a line at a time, as if it had been typed there.
input_status next_token(token_reader& in, output_buffer& out, std::string_view* token);

// Drops the rest of the line that the last token stood on, and tells
// whether anything but blanks was on it.
input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text);

// What the pause between two cycles needs: it reads what arrives at the
// terminal into this buffer, takes at most one key press of it, and
// leaves the rest unread for the next questions.

// The bytes read but not yet used.
inline std::string_view unread_input(const token_reader& in)
{
    return std::string_view(in.data + in.next, in.end - in.next);
}

// Takes the first count unread bytes as used, and as never to be shown.
inline void drop_input(token_reader& in, std::size_t count)
{
    in.next += count;
    if (in.unshown < in.next)
        in.unshown = in.next;
}

// Whether only white space is unread, which the next question would skip
// anyway: no input typed ahead.
bool only_blanks_unread(const token_reader& in);

enum class arrival { some, none, stopped };

// Reads what is waiting to be read now (the caller knows that a read will
// not block) behind the unread bytes, using none of it.  echoed: the
// terminal has shown it as it was typed; if not, the next questions show
// it.  some: bytes came.  none: the buffer is full, and what it holds must
// be used first.  stopped: the input has ended or failed.
arrival read_waiting_input(token_reader& in, bool echoed);

// The person ended the input (Ctrl-D at the pause).
inline void end_input(token_reader& in)
{
    in.at_end = true;
}

#endif
