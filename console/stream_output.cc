#include "console/stream_output.h"

#include <cstring>

void init_output(output_buffer& out, int fd, write_function write)
{
    out.fd = fd;
    out.write = write;
    out.error = 0;
    out.flushed_at_line_start = true;
    out.line_so_far_length = 0;
    out.used = 0;
}

namespace {

void keep_line_so_far(output_buffer& out)
{
    std::size_t start = out.used;
    while (start > 0 && out.data[start - 1] != '\n')
        --start;
    if (start > 0)
        out.line_so_far_length = 0;
    const std::size_t room = sizeof out.line_so_far - out.line_so_far_length;
    const std::size_t n = out.used - start < room ? out.used - start : room;
    std::memcpy(out.line_so_far + out.line_so_far_length, out.data + start, n);
    out.line_so_far_length += n;
}

} // namespace

bool flush_output(output_buffer& out)
{
    if (out.used > 0) {
        out.flushed_at_line_start = out.data[out.used - 1] == '\n';
        keep_line_so_far(out);
        if (out.error == 0)
            write_all(out.fd, out.data, out.used, &out.error, out.write);
    }
    out.used = 0;
    return out.error == 0;
}
