// Standard input as a stream of white-space separated tokens, read through
// the program's own buffer.  Whatever is read ahead stays in the buffer for
// the next read, so numbers typed beyond what a cycle needs are kept for
// the following cycles, and the pause between cycles cannot swallow them.
// Memory stays the same whatever the input: a token is kept only up to
// one byte more than the longest number, and the rest of it skipped.
//
// At a terminal the reader takes whole lines from the terminal's owner
// (terminal.h), which shows and edits them until Enter; what each question
// took of them is shown after it once the dialogue knows (show_answer).
#ifndef VORLANE_CONSOLE_STREAM_INPUT_H
#define VORLANE_CONSOLE_STREAM_INPUT_H

#include <cstddef>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

inline constexpr std::size_t input_capacity = std::size_t{1} << 16;

struct token_reader;

// ok: done.  ended: the input ended first.  failed: a read failed (error
// says why) or the flush before a wait did (the output's error says why).
enum class input_status { ok, ended, failed };

// How the reader gets the next line at a terminal: appended at data[end],
// whole, ending in a newline.
using line_source = input_status (*)(token_reader& in, output_buffer& out);

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
    line_source source;      // none for a file or a pipe
    std::string_view prompt; // the question that the input now answers, as written
    std::size_t shown;       // data[shown, next) is taken and not yet shown after its question
    char data[input_capacity];
    char token[longest_number + 1];
};

void init_reader(token_reader& in, int fd);

// The next token.  Before the reader would wait for input, out is flushed,
// so that whatever is asked is on the screen.  A token longer than the
// longest number comes back cut to longest_number + 1 bytes, which no
// number is.
input_status next_token(token_reader& in, output_buffer& out, std::string_view* token);

// Drops the rest of the line that the last token stood on, and tells
// whether anything but blanks was on it.
input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text);

// Whether only white space is unread, which the next question would skip
// anyway: nothing left over to answer it.
bool only_blanks_unread(const token_reader& in);

// Drops what is unread: blanks that the pause clears away.
void drop_unread(token_reader& in);

#endif
