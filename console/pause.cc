#include "console/pause.h"

#include "console/dialogue_texts.h"
#include "console/pause_keys.h"
#include "console/terminal.h"

pause_end pause_for_key(token_reader& in, output_buffer& out)
{
    if (!in.from_terminal)
        return pause_end::go_on;
    put_text(out, texts::pause_prompt);
    in.prompt = texts::pause_prompt;
    if (typed_ahead_ends_pause(in))
        flush_output(out);
    else
        wait_for_key_press(in, out);
    put_text(out, "\n");
    // Ctrl-D at the pause ends the program as it does at a question: with
    // this one line end.
    return in.at_end && only_blanks_unread(in) ? pause_end::input_ended : pause_end::go_on;
}
