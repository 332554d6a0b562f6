#include "console/key_pause.h"

#include <cstdlib>

#include "console/stream_io.h"

void pause_for_key(token_reader& in, output_buffer& out)
{
    if (!in.from_terminal)
        return;
    if (!flush_output(out))
        return;
    // The command interpreter's own pause, with its own prompt.  Whether
    // it ran or not, the next cycle follows.
    static_cast<void>(std::system("pause"));
}
