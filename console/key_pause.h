// The pause between two cycles: the report stays on the screen until the
// person at the keyboard presses a key.  Nobody presses keys for a pipe or
// a file, so there it returns at once and a table of sizes runs straight
// through.  One file per platform.
#ifndef VORLANE_CONSOLE_KEY_PAUSE_H
#define VORLANE_CONSOLE_KEY_PAUSE_H

#include "console/output_buffer.h"
#include "console/token_reader.h"

// Returns after the key press; everything that was typed for the next
// cycles is still there for them.  A failed write shows in out.error.
void pause_for_key(token_reader& in, output_buffer& out);

#endif
