// The terminal, or the Windows console, that a person types at, one file
// per platform.  At a POSIX terminal the program owns the line, as readline
// does: the terminal echoes nothing, and the program shows and edits the
// line (line_editor.h), so that what shows after a question is what was
// read there; job control is followed throughout.  A Windows console keeps
// its own line mode, editing and history: only the pause has work there.
#ifndef VORLANE_CONSOLE_TERMINAL_H
#define VORLANE_CONSOLE_TERMINAL_H

#include "console/stream_input.h"
#include "console/stream_output.h"

// Where in is a terminal, takes it up for the run; close_terminal leaves it
// as it was found.
void open_terminal(token_reader& in, output_buffer& out);
void close_terminal(token_reader& in, output_buffer& out);

// Shows after its question what the dialogue took there, in.data[in.shown,
// in.next), where the program owns the line.
void show_answer(token_reader& in, output_buffer& out);

// The pause's wait, its prompt (in.prompt) written to out and flushed once
// what was typed ahead is known: one key is taken and nothing else.  What
// was typed ahead, or comes with the key, ends the wait and is kept; the
// end-of-input key ends the input.
void wait_for_key_press(token_reader& in, output_buffer& out);

#endif
