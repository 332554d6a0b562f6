#include "console/output_buffer.h"

#include "console/stream_io.h"

void init_output(output_buffer& out, int fd)
{
    out.fd = fd;
    out.error = 0;
    out.used = 0;
}

bool flush_output(output_buffer& out)
{
    if (out.error == 0 && out.used > 0)
        write_all(out.fd, out.data, out.used, &out.error);
    out.used = 0;
    return out.error == 0;
}

void put_text_flushing(output_buffer& out, std::string_view text)
{
    flush_output(out);
    if (text.size() <= output_capacity) {
        std::memcpy(out.data, text.data(), text.size());
        out.used = text.size();
    } else if (out.error == 0) {
        write_all(out.fd, text.data(), text.size(), &out.error);
    }
}

void put_number(output_buffer& out, double value)
{
    reserve_output(out, number_room);
    char* end = format_fixed6(value, out.data + out.used);
    out.used = static_cast<std::size_t>(end - out.data);
}
