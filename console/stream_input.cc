#include "console/stream_input.h"

#include <cstring>

#include "console/stream_io.h"

namespace {

// Waits for more, once the question is on the screen; called with the buffer used up, so a read or a line fits.
input_status fill_reader(token_reader& in, output_buffer& out) {
    if (in.error != 0) return input_status::failed;
    if (in.at_end) return input_status::ended;
    // The unread bytes to the front, the rest free for reading.
    std::memmove(in.data, in.data + in.next, in.end - in.next);
    in.end -= in.next;
    in.shown = in.shown > in.next ? in.shown - in.next : 0;
    in.next = 0;
    if (!flush_output(out)) return input_status::failed;
    if (in.source != nullptr) return in.source(in, out);
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n < 0) return input_status::failed;
    if (n == 0) {
        in.at_end = true;
        return input_status::ended;
    }
    in.end += static_cast<std::size_t>(n);
    return input_status::ok;
}

} // namespace

void init_reader(token_reader& in, int fd) {
    in.fd = fd;
    in.from_terminal = is_terminal(fd);
    in.error = 0;
    in.at_end = in.line_ended = false;
    in.line = in.token_line = 1;
    in.next = in.end = in.shown = 0;
    in.source = nullptr;
    in.prompt = {};
}

input_status next_token(token_reader& in, output_buffer& out, std::string_view* token) {
    for (;;) {
        while (in.next < in.end && is_space(in.data[in.next])) in.line += in.data[in.next++] == '\n';
        if (in.next < in.end) break;
        const input_status status = fill_reader(in, out);
        if (status != input_status::ok) return status;
    }
    std::size_t kept = 0;
    in.line_ended = false;
    in.token_line = in.line;
    for (;;) {
        const std::size_t start = in.next;
        while (in.next < in.end && !is_space(in.data[in.next])) ++in.next;
        const std::size_t room = sizeof in.token - kept;
        const std::size_t take = in.next - start < room ? in.next - start : room;
        std::memcpy(in.token + kept, in.data + start, take);
        kept += take;
        if (in.next < in.end) {
            // The blank after the token goes with it: a newline there ends the token's line.
            in.line_ended = in.data[in.next++] == '\n';
            in.line += in.line_ended;
            break;
        }
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended) break; // the last token needs no blank after it
        if (status != input_status::ok) return status;
    }
    *token = std::string_view(in.token, kept);
    return input_status::ok;
}

input_status skip_line(token_reader& in, output_buffer& out, bool* skipped_text) {
    *skipped_text = false;
    while (!in.line_ended) {
        const void* newline = std::memchr(in.data + in.next, '\n', in.end - in.next);
        const std::size_t end =
            newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - in.data) : in.end;
        while (in.next < end && !*skipped_text) *skipped_text = !is_space(in.data[in.next++]);
        in.next = end;
        if (in.next < in.end) {
            ++in.next;
            ++in.line;
            in.line_ended = true;
        } else if (const input_status status = fill_reader(in, out); status != input_status::ok) {
            return status;
        }
    }
    return input_status::ok;
}

bool only_blanks_unread(const token_reader& in) {
    for (std::size_t i = in.next; i < in.end; ++i)
        if (!is_space(in.data[i])) return false;
    return true;
}

void drop_unread(token_reader& in) { in.next = in.shown = in.end; }
