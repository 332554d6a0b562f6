// The terminal, or Windows console, typed at; one file per platform.  At a POSIX terminal the program owns the line, as
// readline does, so what shows after a question is what was read.  A Windows console keeps its own line editing.
#ifndef VORLANE_CONSOLE_TERMINAL_H
#define VORLANE_CONSOLE_TERMINAL_H

#include "console/stream_input.h"
#include "console/stream_output.h"

// Where in is a terminal, takes it up for the run, and leaves it as found.
void open_terminal(token_reader& in, output_buffer& out);
void close_terminal(token_reader& in, output_buffer& out);

// Shows after its question what the dialogue took there, in.data[in.shown, in.next), where the program owns the line.
void show_answer(token_reader& in, output_buffer& out);

// The pause: out and its prompt flushed once what was typed ahead is known; that, or what comes with the key, is kept.
void wait_for_key_press(token_reader& in, output_buffer& out);

#endif
