// The pause between two cycles: the report stays on the screen until the
// person at the keyboard presses a key.  Nobody presses keys for a pipe or
// a file, so there it returns at once and a table of sizes runs straight
// through.  The pause takes one key press and nothing more: input that is
// already there when it begins ends it at once, and a paste or keys typed
// in a burst end it too, all of them kept for the next questions.  One
// file per platform.
#ifndef VORLANE_CONSOLE_PAUSE_H
#define VORLANE_CONSOLE_PAUSE_H

#include "console/stream_output.h"
#include "console/stream_input.h"

// Returns after the key press, or at once where nobody is there to press
// one.  A failed write shows in out.error, a failed read in the reader.
void pause_for_key(token_reader& in, output_buffer& out);

// The platform's part, for standard input at a terminal or console.

// Takes into the reader what was typed ahead and is already whole.
void take_typed_ahead(token_reader& in);

// Waits for one key press and takes it, and nothing else: input that
// comes with it, or is pending already, ends the wait and stays for the
// next questions.  The terminal is left as it was found.  Anything it
// shows meanwhile goes to out's stream, whose buffer is empty.
void wait_for_key_press(token_reader& in, const output_buffer& out);

#endif
