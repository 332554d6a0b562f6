#include "console/token_reader.h"

#include <cstring>

#include "console/stream_io.h"

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
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

token_status fill_reader(token_reader& in, output_buffer& out)
{
    if (in.error != 0)
        return token_status::read_error;
    if (in.at_end)
        return token_status::end_of_input;
    if (in.next > 0) {
        std::memmove(in.data, in.data + in.next, in.end - in.next);
        in.end -= in.next;
        in.next = 0;
    }
    if (in.end == input_capacity)
        return token_status::token; // full already: nothing to wait for
    // Whoever is at the other end sees the question before we wait for
    // the answer; input already buffered is used without a flush.
    if (!flush_output(out))
        return token_status::output_failed;
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n < 0)
        return token_status::read_error;
    if (n == 0) {
        in.at_end = true;
        return token_status::end_of_input;
    }
    in.end += static_cast<std::size_t>(n);
    return token_status::token;
}

token_status next_token(token_reader& in, output_buffer& out, std::string_view* token)
{
    for (;;) {
        while (in.next < in.end && is_space(in.data[in.next]))
            ++in.next;
        if (in.next < in.end)
            break;
        const token_status status = fill_reader(in, out);
        if (status != token_status::token)
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
        const token_status status = fill_reader(in, out);
        if (status == token_status::end_of_input)
            break; // the last token needs no white space after it
        if (status != token_status::token)
            return status;
    }
    *token = std::string_view(in.token, kept);
    return token_status::token;
}

token_status skip_line(token_reader& in, output_buffer& out)
{
    if (in.line_ended)
        return token_status::token;
    for (;;) {
        const void* newline = std::memchr(in.data + in.next, '\n', in.end - in.next);
        if (newline != nullptr) {
            in.next = static_cast<std::size_t>(static_cast<const char*>(newline) - in.data) + 1;
            in.line_ended = true;
            return token_status::token;
        }
        in.next = in.end;
        const token_status status = fill_reader(in, out);
        if (status != token_status::token)
            return status;
    }
}
