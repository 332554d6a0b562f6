// The pause between two cycles: the report stays on the screen until the
// person at the keyboard presses a key.  Nobody presses keys for a pipe or
// a file, so there it returns at once and a table of sizes runs straight
// through.  The pause takes one key press and nothing more: input that is
// already there when it begins ends it at once, and so does a paste or
// keys typed in a burst, all of them kept for the next questions.  The
// frame is the same on every platform; the wait is the terminal's
// (terminal.h), and the rules of what a key is and of what was typed
// ahead, pause_keys'.
#ifndef VORLANE_CONSOLE_PAUSE_H
#define VORLANE_CONSOLE_PAUSE_H

#include "console/stream_input.h"
#include "console/stream_output.h"

enum class pause_end {
    go_on,       // the next cycle follows (or a failed write, in out.error, ends it)
    input_ended, // the input ended at the pause: Ctrl-D there, or nothing but its end typed ahead
};

// Shows the pause's prompt, waits, and ends its line.
pause_end pause_for_key(token_reader& in, output_buffer& out);

#endif
