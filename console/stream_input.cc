#include "console/stream_input.h"

#include <cstring>
#include <utility>

#include "console/stream_io.h"

namespace {

constexpr char escape = '\x1b';
constexpr int undecided = -1;

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// The paste marker that may start at the ESC at data[i]: its length, 0, or
// undecided.
int marker_length(const token_reader& in, std::size_t i)
{
    const std::size_t marker = paste_opens.size();
    const std::size_t have = in.end - i < marker ? in.end - i : marker;
    const std::string_view bytes(in.data + i, have);
    if (have == marker)
        return bytes == paste_opens || bytes == paste_closes ? static_cast<int>(marker) : 0;
    const bool may_grow = paste_opens.starts_with(bytes) || paste_closes.starts_with(bytes);
    return may_grow && !in.at_end && in.error == 0 ? undecided : 0;
}

// How many bytes of white space start at data[i]: one blank, a paste
// marker, or none; undecided while what has come of an ESC may still grow
// into a marker.  Small, so that the token loops keep it inline: it is
// asked of every byte.
int blank_length(const token_reader& in, std::size_t i)
{
    const char c = in.data[i];
    if (is_space(c))
        return 1;
    return c == escape ? marker_length(in, i) : 0;
}

std::size_t shifted(std::size_t index, std::size_t by)
{
    return index > by ? index - by : 0;
}

// Moves the unread bytes to the front, so that the rest of the buffer is
// free for reading.
void make_room(token_reader& in)
{
    if (in.next > 0) {
        std::memmove(in.data, in.data + in.next, in.end - in.next);
        in.end -= in.next;
        in.held = shifted(in.held, in.next);
        in.unshown = shifted(in.unshown, in.next);
        in.unechoed_end = shifted(in.unechoed_end, in.next);
        in.next = 0;
    }
}

// Shows text as a terminal's echo would: control characters as ^X, DEL as
// ^?, and without the paste markers, which the terminal does not show
// either.  On the screen straight, after what went to out before it; and
// where out is a pipe (to tee, say), once the reader of it has shown that.
void show(token_reader& in, output_buffer& out, std::string_view text)
{
    flush_output(out);
    if (in.screen != out.fd)
        wait_until_shown(out.fd, in.screen);
    else
        out.flushed_at_line_start = text.back() == '\n';
    char shown[256];
    std::size_t used = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::string_view rest = text.substr(i);
        if (rest.starts_with(paste_opens) || rest.starts_with(paste_closes)) {
            i += paste_opens.size() - 1;
            continue;
        }
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7f) {
            shown[used++] = '^';
            shown[used++] = static_cast<char>(c ^ 0x40);
        } else {
            shown[used++] = static_cast<char>(c);
        }
        int ignored = 0;
        if (used + 2 > sizeof shown || i + 1 == text.size())
            static_cast<void>(write_all(in.screen, shown, std::exchange(used, 0), &ignored));
    }
}

// What the terminal did not echo of the line that reading is on, through
// its newline: shown once, after whatever was asked, as if typed there;
// but not the start of a marker whose rest has not come yet.
void show_unechoed(token_reader& in, output_buffer& out)
{
    const void* newline = std::memchr(in.data + in.next, '\n', in.end - in.next);
    std::size_t to =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - in.data) + 1 : in.end;
    to = to < in.unechoed_end ? to : in.unechoed_end;
    const std::size_t last_whole = to;
    for (std::size_t i = last_whole; newline == nullptr && i > in.unshown && i + paste_opens.size() > last_whole; --i) {
        if (in.data[i - 1] == escape && blank_length(in, i - 1) == undecided)
            to = i - 1;
    }
    if (to <= in.unshown)
        return;
    show(in, out, std::string_view(in.data + in.unshown, to - in.unshown));
    in.unshown = to;
}

// Waits for more input behind the unread bytes, once the question is on
// the screen.  Only called with the buffer used up, or with the few bytes
// of an undecided marker or a held line left, so there is room; a held
// line that fills the whole buffer is used as it is.
input_status fill_reader(token_reader& in, output_buffer& out)
{
    if (in.error != 0)
        return input_status::failed;
    if (in.at_end)
        return input_status::ended;
    if (in.unshown < in.unechoed_end)
        show_unechoed(in, out);
    make_room(in);
    // Whoever is at the other end sees the question before we wait for
    // the answer; input already buffered is used without a flush.
    if (!flush_output(out))
        return input_status::failed;
    if (in.end == input_capacity) {
        in.held = in.end;
        return input_status::ok;
    }
    if (in.wait != nullptr) {
        if (in.wait(in, out) != arrival::stopped)
            return input_status::ok;
        return in.error != 0 ? input_status::failed : input_status::ended;
    }
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n < 0)
        return input_status::failed;
    if (n == 0) {
        in.at_end = true;
        return input_status::ended;
    }
    in.end += static_cast<std::size_t>(n);
    in.held = in.end;
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
    in.wait = nullptr;
    in.screen = -1;
    in.line_mode = true;
    in.paste_open = false;
    in.held = 0;
    in.unshown = 0;
    in.unechoed_end = 0;
}

input_status next_token(token_reader& in, output_buffer& out, std::string_view* token)
{
    // Blanks skipped, up to a token on a line that can be used.
    for (;;) {
        int blank = 0;
        while (in.next < in.end && (blank = blank_length(in, in.next)) > 0) {
            in.line += in.data[in.next] == '\n';
            in.next += static_cast<std::size_t>(blank);
        }
        if (in.next < in.held && blank == 0)
            break;
        // Used up, an ESC that only more input can tell from a marker, or
        // a line not complete.
        const input_status status = fill_reader(in, out);
        if (status == input_status::ended && in.next < in.end)
            continue; // the end completes the line; an ESC left is no marker
        if (status != input_status::ok)
            return status;
    }
    if (in.unshown < in.unechoed_end)
        show_unechoed(in, out);

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

void drop_input(token_reader& in, std::size_t count)
{
    in.next += count;
    if (in.unshown < in.next)
        in.unshown = in.next;
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

arrival read_terminal(token_reader& in, output_buffer& out, bool echoed)
{
    if (in.at_end || in.error != 0)
        return arrival::stopped;
    make_room(in);
    if (in.end == input_capacity)
        return arrival::none; // a read of nothing would look like the end
    const std::size_t start = in.end;
    const long n = read_some(in.fd, in.data + in.end, input_capacity - in.end, &in.error);
    if (n <= 0) {
        in.at_end = n == 0;
        in.held = in.end;
        return arrival::stopped;
    }
    in.end += static_cast<std::size_t>(n);
    if (!echoed && in.screen >= 0) {
        if (in.unshown >= in.unechoed_end)
            in.unshown = start;
        in.unechoed_end = in.end;
    }
    // The terminal's echo of Enter leaves the cursor at the start of a
    // line; what the reader shows keeps count of itself.
    if (echoed && in.screen == out.fd)
        out.flushed_at_line_start = in.data[in.end - 1] == '\n';
    // In line mode the terminal hands over a line, or what Ctrl-D pushed:
    // complete either way.  Outside it, the line goes on after the last
    // newline.
    std::size_t last = in.end;
    while (!in.line_mode && last > start && in.data[last - 1] != '\n')
        --last;
    in.held = in.line_mode || last > start ? last : in.held;
    // The last marker read decides whether a marked paste is still going
    // on; one may have begun in the last few bytes before.
    const std::size_t from = start > in.next + paste_opens.size() - 1 ? start - (paste_opens.size() - 1) : in.next;
    for (std::string_view rest(in.data + from, in.end - from); !rest.empty(); rest.remove_prefix(1)) {
        if (rest.starts_with(paste_opens) || rest.starts_with(paste_closes))
            in.paste_open = rest.starts_with(paste_opens);
    }
    return arrival::some;
}
