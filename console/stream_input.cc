#include "console/stream_input.h"

#include <cstdint>
#include <cstring>

#include "console/paste_marker.h"
#include "console/stream_io.h"

namespace {

constexpr char escape = '\x1b';
constexpr int undecided = -1;

// Blank, tab, newline, vertical tab, form feed or carriage return: asked
// of every byte read, so tested as one bit of a mask.
bool is_space(char c)
{
    constexpr std::uint64_t spaces = std::uint64_t{1} << ' ' | std::uint64_t{1} << '\t' | std::uint64_t{1} << '\n' |
                                     std::uint64_t{1} << '\v' | std::uint64_t{1} << '\f' | std::uint64_t{1} << '\r';
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' && (spaces >> byte & 1) != 0;
}

// The paste marker that may start at the ESC at data[i]: its length, 0, or
// undecided while what has come of it may still grow into one.
int marker_length(const token_reader& in, std::size_t i)
{
    switch (paste_marker_at(std::string_view(in.data + i, in.end - i))) {
    case marker::opens:
    case marker::closes:
        return static_cast<int>(paste_marker_length);
    case marker::partial:
        return in.at_end || in.error != 0 ? 0 : undecided;
    case marker::none:
        break;
    }
    return 0;
}

// How many bytes of white space start at data[i]: one blank, a paste
// marker, or none; undecided as above.  Small, so that the token loops
// keep it inline: it is asked of every byte.
int blank_length(const token_reader& in, std::size_t i)
{
    const char c = in.data[i];
    if (is_space(c))
        return 1;
    return c == escape ? marker_length(in, i) : 0;
}

// Moves the unread bytes to the front, so that the rest of the buffer is
// free for reading.
void make_room(token_reader& in)
{
    if (in.next > 0) {
        std::memmove(in.data, in.data + in.next, in.end - in.next);
        in.end -= in.next;
        in.shown = in.shown > in.next ? in.shown - in.next : 0;
        in.next = 0;
    }
}

// Waits for more input behind the unread bytes, once the question is on
// the screen.  Only called with the buffer used up, or with the few bytes
// of an undecided marker left, so there is room for a read or a line.
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
    if (in.source != nullptr)
        return in.source(in, out);
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n < 0)
        return input_status::failed;
    if (n == 0) {
        in.at_end = true;
        return input_status::ended;
    }
    in.end += static_cast<std::size_t>(n);
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
    in.line = 1;
    in.token_line = 1;
    in.next = 0;
    in.end = 0;
    in.source = nullptr;
    in.prompt = {};
    in.shown = 0;
}

input_status next_token(token_reader& in, output_buffer& out, std::string_view* token)
{
    // Blanks skipped, up to a token.
    for (;;) {
        int blank = 0;
        while (in.next < in.end && (blank = blank_length(in, in.next)) > 0) {
            in.line += in.data[in.next] == '\n';
            in.next += static_cast<std::size_t>(blank);
        }
        if (in.next < in.end && blank == 0)
            break;
        // Used up, or an ESC that only more input can tell from a marker.
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended && in.next < in.end)
            continue; // an ESC left at the end is no marker
        if (status != input_status::ok)
            return status;
    }

    std::size_t kept = 0;
    in.line_ended = false;
    in.token_line = in.line;
    for (;;) {
        const std::size_t start = in.next;
        int blank = 0;
        for (;;) {
            // Most bytes of a token are neither blank nor ESC: passed by
            // this loop alone.
            while (in.next < in.end && !is_space(in.data[in.next]) && in.data[in.next] != escape)
                ++in.next;
            if (in.next == in.end || (blank = blank_length(in, in.next)) != 0)
                break;
            ++in.next; // an ESC that starts no marker
        }
        const std::size_t run = in.next - start;
        const std::size_t room = sizeof in.token - kept;
        const std::size_t take = run < room ? run : room;
        std::memcpy(in.token + kept, in.data + start, take);
        kept += take;
        if (in.next < in.end && blank > 0) {
            // The white space that ends the token is used up with it, so
            // that a newline there also ends the token's line.
            in.line_ended = in.data[in.next] == '\n';
            in.line += in.line_ended;
            in.next += static_cast<std::size_t>(blank);
            break;
        }
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended) {
            if (in.next < in.end)
                continue; // an ESC that is no marker, part of the token
            break;        // the last token needs no white space after it
        }
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
        if (*skipped_text) {
            // Only the newline matters now; no marker holds one.
            const void* newline = std::memchr(in.data + in.next, '\n', in.end - in.next);
            in.next =
                newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - in.data) : in.end;
        }
        int blank = 0;
        while (in.next < in.end && in.data[in.next] != '\n' && (blank = blank_length(in, in.next)) != undecided) {
            *skipped_text = *skipped_text || blank == 0;
            in.next += blank > 0 ? static_cast<std::size_t>(blank) : 1;
        }
        if (in.next < in.end && in.data[in.next] == '\n') {
            ++in.next;
            in.line_ended = true;
            ++in.line;
            return input_status::ok;
        }
        // Used up, or an ESC that only more input can tell from a marker.
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended && in.next < in.end)
            continue;
        if (status != input_status::ok)
            return status;
    }
}

bool only_blanks_unread(const token_reader& in)
{
    for (std::size_t i = in.next; i < in.end;) {
        const int blank = blank_length(in, i);
        if (blank <= 0)
            return false;
        i += static_cast<std::size_t>(blank);
    }
    return true;
}

void drop_unread(token_reader& in)
{
    in.next = in.end;
    in.shown = in.end;
}
