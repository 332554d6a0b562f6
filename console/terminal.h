// The terminal, or the Windows console, that a person types at: what the
// program does with it, one file per platform.  At a POSIX terminal the
// program owns the line from start to end, as readline and the Windows
// console do: the terminal echoes nothing and hands over every key, and
// the program shows and edits the line (line_editor.h), so that what the
// screen shows after a question is what was read there.  Job control is
// followed throughout: the terminal is put back before a stop and an end,
// and after fg the line that waits for an answer is shown again.  A
// Windows console keeps its own line mode, editing and history: only the
// pause has work there.
#ifndef VORLANE_CONSOLE_TERMINAL_H
#define VORLANE_CONSOLE_TERMINAL_H

#include "console/stream_input.h"
#include "console/stream_output.h"

// Where in's descriptor is a terminal, takes it up for the run: the reader
// then gets its lines from the program's own editor.
void open_terminal(token_reader& in, output_buffer& out);

// Leaves the terminal as it was found.
void close_terminal(token_reader& in, output_buffer& out);

// Shows after its question what the dialogue took as its answer there
// (in.data[in.shown, in.next)), where the program owns the line.
void show_answer(token_reader& in, output_buffer& out);

// The pause's wait, its prompt (in.prompt) written to out: one key press
// is taken and nothing else.  Input typed ahead, before the prompt shows
// (out is flushed once that is known), and input that comes with the key,
// end the wait and stay for the next questions; the end-of-input key ends
// the input.
void wait_for_key_press(token_reader& in, output_buffer& out);

#endif
