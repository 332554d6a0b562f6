// The pause between two cycles: the report stays on the screen until the
// person at the keyboard presses a key.  Nobody presses keys for a pipe or
// a file, so there it returns at once and a table of sizes runs straight
// through.  The pause takes one key press and nothing more: input that is
// already there when it begins ends it at once, and so does a paste or
// keys typed in a burst, all of them kept for the next questions.  The
// frame is shared; the wait is one file per platform, whose rule of what
// a key is lives in pause_keys.
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

// The platform's part, for standard input at a terminal or console: the
// prompt is on the screen.  Waits for one key press and takes it, and
// nothing else: input that comes with it, or is typed ahead, ends the
// wait and stays for the next questions; the end-of-input key ends the
// input.  The terminal is left as it was found.  Anything it shows
// meanwhile goes to out's stream, whose buffer is empty.
void wait_for_key_press(token_reader& in, const output_buffer& out);

// The rule for what was typed ahead, once the platform has read it in:
// anything but blanks, or the end of the input, ends the pause at once;
// blanks alone are no answer to anything, and are dropped.
bool typed_ahead_ends_pause(token_reader& in);

#endif
