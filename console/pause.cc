#include "console/pause.h"

#include "console/dialogue_texts.h"

// What every platform's pause does alike; the terminal or console work is
// in pause-posix.cc and pause-win32.cc.
void pause_for_key(token_reader& in, output_buffer& out)
{
    if (!in.from_terminal)
        return;
    put_text(out, texts::pause_prompt);
    if (!flush_output(out))
        return;
    take_typed_ahead(in);
    // Input typed ahead ends the pause at once and stays for the next
    // questions.  Blanks alone are no answer to anything: the next
    // question would skip them anyway.
    if (only_blanks_unread(in) && !in.at_end && in.error == 0) {
        drop_input(in, unread_input(in).size());
        wait_for_key_press(in, out);
    }
    put_text(out, "\n");
}
