// The terminal, or the Windows console, that a person types at: what the
// program does with it, one file per platform.  On POSIX systems the pause
// puts the terminal in a quiet mode, without line mode or echo, so that
// one key answers it and nothing shows; where a paste ends the pause, the
// quiet mode lasts while the paste comes in, so that the reader shows every
// line of it after its own question.  Job control is followed throughout:
// the terminal is put back before a stop and an end, and after fg the line
// that waits for an answer is shown again.  A Windows console keeps what
// is typed as events and echoes lines itself: only the pause has work
// there.
#ifndef VORLANE_CONSOLE_TERMINAL_H
#define VORLANE_CONSOLE_TERMINAL_H

#include "console/stream_input.h"
#include "console/stream_output.h"

// Where in's descriptor is a terminal, takes it up for the run: how the
// reader waits for it, and where the answers it does not echo are shown.
void open_terminal(token_reader& in, const output_buffer& out);

// Leaves the terminal as it was found.
void close_terminal(token_reader& in, output_buffer& out);

// The pause's wait, the prompt being on the screen: one key press is
// taken and nothing else.  Input that comes with it, or is typed ahead,
// ends the wait and stays for the next questions; the end-of-input key
// ends the input.
void wait_for_key_press(token_reader& in, output_buffer& out);

#endif
