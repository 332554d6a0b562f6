// The pause between two cycles: the report stays on the screen until the
// person at the keyboard presses a key.  Nobody presses keys for a pipe or
// a file, so there it returns at once and a table of sizes runs straight
// through.  The pause takes one key press and nothing more: input that is
// already there when it begins ends it at once, and a paste or keys typed
// in a burst end it too, all of them kept for the next questions.  One
// file per platform.
#ifndef VORLANE_CONSOLE_KEY_PAUSE_H
#define VORLANE_CONSOLE_KEY_PAUSE_H

#include "console/output_buffer.h"
#include "console/token_reader.h"

// Returns after the key press, or at once where nobody is there to press
// one.  A failed write shows in out.error, a failed read in the reader.
void pause_for_key(token_reader& in, output_buffer& out);

#endif
