// Standard input as a stream of white-space separated tokens, read through
// the program's own buffer.  Whatever is read ahead stays in the buffer for
// the next read, so numbers typed beyond what a cycle needs are kept for
// the following cycles, and the pause between cycles cannot swallow them.
// Memory stays the same whatever the input: a token is kept only up to
// one byte more than the longest number, and the rest of it skipped.
// The markers that a terminal in bracketed-paste mode puts around a paste
// are white space here, wherever they come.
//
// At a terminal, a line is used once it is complete, as the terminal's
// line mode hands it over; bytes read outside that mode (at the pause, and
// while a paste goes on after it) wait for the rest of their line too.
// What the terminal did not echo is shown by the reader, a line at a time,
// when a question reaches it, as if typed there.
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

struct token_reader;

// some: bytes came.  none: the buffer is full, and what it holds must be
// used first.  stopped: the input has ended or failed.
enum class arrival { some, none, stopped };

// How the reader waits for a terminal and reads it (see terminal.h).
using terminal_wait = arrival (*)(token_reader& in, output_buffer& out);

struct token_reader {
    int fd;
    bool from_terminal;     // someone types at a terminal: asked once, at the start
    int error;              // the read error, once one has happened
    bool at_end;            // end of input has been met
    bool line_ended;        // the last token was ended by a newline
    std::size_t line;       // the line that reading has come to, from 1
    std::size_t token_line; // the line of the last token
    std::size_t next;       // first unread byte in data
    std::size_t end;        // end of what has been read into data
    // At a terminal:
    terminal_wait wait; // how to wait for it and read it; none for a file or a pipe
    int screen;         // where answers are shown: out's descriptor, another on that terminal, or -1
    bool line_mode;     // the terminal hands over whole lines
    bool paste_open;    // what has been read leaves a marked paste open
    // data[held, end) came outside line mode, and its line is not complete.
    std::size_t held;
    // data[unshown, unechoed_end) was not echoed and has not been shown.
    std::size_t unshown;
    std::size_t unechoed_end;
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

// What the terminal's platform code needs, at the pause and while a paste
// goes on: it reads what arrives into this buffer, where the pause takes
// at most one key press of it and leaves the rest for the next questions.

// The bytes read but not yet used.
inline std::string_view unread_input(const token_reader& in)
{
    return std::string_view(in.data + in.next, in.end - in.next);
}

// Takes the first count unread bytes as used, and as never to be shown.
void drop_input(token_reader& in, std::size_t count);

// Whether only white space is unread, which the next question would skip
// anyway: no input typed ahead.
bool only_blanks_unread(const token_reader& in);

// Reads what is waiting to be read now (the caller knows that a read will
// not block) behind the unread bytes, using none of it.  echoed: the
// terminal has shown it as it was typed; if not, the next questions show
// it.
arrival read_terminal(token_reader& in, output_buffer& out, bool echoed);

// The person ended the input (Ctrl-D at the pause).
inline void end_input(token_reader& in)
{
    in.at_end = true;
    in.held = in.end;
}

#endif
