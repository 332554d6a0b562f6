#include "console/stream_input.h"

#include <cstring>

#include "console/stream_io.h"

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Moves the unread bytes to the front, so that the rest of the buffer is
// free for reading.
void make_room(token_reader& in)
{
    if (in.next > 0) {
        std::memmove(in.data, in.data + in.next, in.end - in.next);
        in.end -= in.next;
        in.next = 0;
    }
}

// Waits for more input behind the unread bytes, once the question is on
// the screen.  Only called with the buffer used up, so there is room.
input_status fill_reader(token_reader& in, output_buffer& out)
{
    if (in.error != 0)
        return input_status::failed;
    if (in.at_end)
        return input_status::ended;
    make_room(in);
    // Whoever is at the other end sees the question before we wait for
    // the answer; input already buffered is used without a flush.
    if (!flush_output(out))
        return input_status::failed;
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n < 0)
        return input_status::failed;
    if (n == 0) {
        in.at_end = true;
        return input_status::ended;
    }
    in.end += static_cast<std::size_t>(n);
    // A terminal hands over a line once Enter is pressed, and its echo
    // leaves the cursor at the start of the next line.
    if (in.from_terminal)
        out.flushed_at_line_start = in.data[in.end - 1] == '\n';
    return input_status::ok;
}

} // namespace

void init_reader(token_reader& in, int fd)
{
    in.fd = fd;
    in.from_terminal = is_terminal(fd);
    in.error = 0;
    in.at_end = false;
    in.line_ended = false;
    in.next = 0;
    in.end = 0;
}

input_status next_token(token_reader& in, output_buffer& out, std::string_view* token)
{
    for (;;) {
        while (in.next < in.end && is_space(in.data[in.next]))
            ++in.next;
        if (in.next < in.end)
            break;
        const input_status status = fill_reader(in, out);
        if (status != input_status::ok)
            return status;
    }

    std::size_t kept = 0;
    in.line_ended = false;
    for (;;) {
        const std::size_t start = in.next;
        while (in.next < in.end && !is_space(in.data[in.next]))
            ++in.next;
        const std::size_t run = in.next - start;
        const std::size_t room = sizeof in.token - kept;
        const std::size_t take = run < room ? run : room;
        std::memcpy(in.token + kept, in.data + start, take);
        kept += take;
        if (in.next < in.end) {
            // The white space that ends the token is used up with it, so
            // that a newline there also ends the token's line.
            in.line_ended = in.data[in.next] == '\n';
            ++in.next;
            break;
        }
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended)
            break; // the last token needs no white space after it
        if (status != input_status::ok)
            return status;
    }
    *token = std::string_view(in.token, kept);
    return input_status::ok;
}

input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text)
{
    *skipped_text = false;
    if (in.line_ended)
        return input_status::ok;
    for (;;) {
        const char* const from = in.data + in.next;
        const void* newline = std::memchr(from, '\n', in.end - in.next);
        const char* const to = newline != nullptr ? static_cast<const char*>(newline) : in.data + in.end;
        for (const char* p = from; p < to && !*skipped_text; ++p)
            *skipped_text = !is_space(*p);
        if (newline != nullptr) {
            in.next = static_cast<std::size_t>(to - in.data) + 1;
            in.line_ended = true;
            return input_status::ok;
        }
        in.next = in.end;
        const input_status status = fill_reader(in, out);
        if (status != input_status::ok)
            return status;
    }
}

bool only_blanks_unread(const token_reader& in)
{
    for (std::size_t i = in.next; i < in.end; ++i) {
        if (!is_space(in.data[i]))
            return false;
    }
    return true;
}

arrival take_arriving_input(token_reader& in, int wait_ms)
{
    if (in.at_end || in.error != 0)
        return arrival::stopped;
    make_room(in);
    if (in.end == input_capacity)
        return arrival::none; // a read of nothing would look like the end
    switch (wait_readable(in.fd, wait_ms, &in.error)) {
    case readiness::timed_out:
        return arrival::none;
    case readiness::interrupted:
        return arrival::interrupted;
    case readiness::failed:
        return arrival::stopped;
    case readiness::ready:
        break;
    }
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n <= 0) {
        in.at_end = n == 0;
        return arrival::stopped;
    }
    in.end += static_cast<std::size_t>(n);
    return arrival::some;
}
