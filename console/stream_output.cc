#include "console/stream_output.h"

void init_output(output_buffer& out, int fd, write_function write) {
    out.fd = fd;
    out.write = write;
    out.error = 0;
    out.flushed_at_line_start = true;
    out.used = 0;
}

bool flush_output(output_buffer& out) {
    if (out.used > 0) {
        out.flushed_at_line_start = out.data[out.used - 1] == '\n';
        if (out.error == 0) write_all(out.fd, out.data, out.used, &out.error, out.write);
    }
    out.used = 0;
    return out.error == 0;
}
