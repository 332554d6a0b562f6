#include "console/line_editor.h"

#include <cstring>

#include "console/number_format.h"
#include "console/pause_keys.h"
#include "console/paste_marker.h"

namespace {

constexpr char escape = '\x1b';

bool is_control(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

bool is_continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

// Columns on the screen: a character each, two for a control character
// shown as ^X.
int columns(std::string_view text)
{
    int count = 0;
    for (const char c : text)
        count += is_control(c) ? 2 : !is_continuation(c);
    return count;
}

void set_line(line_editor& e, const char* text, std::size_t length)
{
    std::memmove(e.text, text, length);
    e.length = e.cursor = length;
}

// A finished line: Enter, or one broken for want of room.
edited finish(line_editor& e, std::size_t done, std::size_t resume)
{
    e.done = done;
    e.resume = resume;
    return edited::line;
}

// A line too long for its room, which only a paste brings, is broken at
// its last blank, and the rest carried over to the next line.
edited break_line(line_editor& e)
{
    std::size_t blank = e.length;
    while (blank > 0 && !is_blank(e.text[blank - 1]))
        --blank;
    return blank > 0 ? finish(e, blank - 1, blank) : finish(e, e.length, e.length);
}

void insert(line_editor& e, std::string_view bytes)
{
    std::memmove(e.text + e.cursor + bytes.size(), e.text + e.cursor, e.length - e.cursor);
    std::memcpy(e.text + e.cursor, bytes.data(), bytes.size());
    e.length += bytes.size();
    e.cursor += bytes.size();
}

void erase(line_editor& e, std::size_t from, std::size_t to)
{
    std::memmove(e.text + from, e.text + to, e.length - to);
    e.length -= to - from;
    e.cursor = from;
}

std::size_t character_before(const line_editor& e, std::size_t at)
{
    while (at > 0 && is_continuation(e.text[--at])) {
    }
    return at;
}

std::size_t character_after(const line_editor& e, std::size_t at)
{
    while (at < e.length && is_continuation(e.text[++at])) {
    }
    return at;
}

std::size_t word_before(const line_editor& e, std::size_t at)
{
    while (at > 0 && is_blank(e.text[at - 1]))
        --at;
    while (at > 0 && !is_blank(e.text[at - 1]))
        --at;
    return at;
}

// Where the history entry that starts at start ends, at its newline.
std::size_t entry_end(const line_editor& e, std::size_t start)
{
    while (e.history[start] != '\n')
        ++start;
    return start;
}

// Where the entry that ends before at starts.
std::size_t entry_before(const line_editor& e, std::size_t at)
{
    for (--at; at > 0 && e.history[at - 1] != '\n'; --at) {
    }
    return at;
}

// Up (older) and Down (newer) through the lines of the run; the line
// being typed is kept meanwhile and comes back after the newest.
void recall(line_editor& e, bool older)
{
    if (e.browsed == (older ? 0 : e.history_used))
        return;
    if (e.browsed == e.history_used) {
        std::memcpy(e.saved, e.text, e.length);
        e.saved_length = e.length;
    }
    e.browsed = older ? entry_before(e, e.browsed) : entry_end(e, e.browsed) + 1;
    if (e.browsed == e.history_used)
        set_line(e, e.saved, e.saved_length);
    else
        set_line(e, e.history + e.browsed, entry_end(e, e.browsed) - e.browsed);
}

enum class action { none, left, right, home, end, delete_here, older, newer };

// What an escape sequence does: the cursor keys and Home, End and Delete,
// whatever modifiers came with them (CSI "ESC [ 1 ; 5 C"); others nothing.
action escape_action(std::string_view key)
{
    if (key.size() < 3 || (key[1] != '[' && key[1] != 'O'))
        return action::none; // Esc alone, or Alt with a key
    switch (key.back()) {
    case 'A':
        return action::older;
    case 'B':
        return action::newer;
    case 'C':
        return action::right;
    case 'D':
        return action::left;
    case 'H':
        return action::home;
    case 'F':
        return action::end;
    case '~':
        switch (key[2]) {
        case '1':
        case '7':
            return key[3] == '~' || key[3] == ';' ? action::home : action::none;
        case '4':
        case '8':
            return key[3] == '~' || key[3] == ';' ? action::end : action::none;
        case '3':
            return key[3] == '~' || key[3] == ';' ? action::delete_here : action::none;
        default:
            return action::none;
        }
    default:
        return action::none;
    }
}

// The action of a control character, the terminal's own ones first.
action control_action(line_editor& e, char c, edited* result)
{
    const int key = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') {
        bool blank = true;
        for (std::size_t i = 0; i < e.length && blank; ++i)
            blank = is_blank(e.text[i]);
        if (blank) {
            e.length = e.cursor = 0; // an empty line answers nothing
            return action::none;
        }
        *result = finish(e, e.length, e.length);
        return action::none;
    }
    if (key == e.keys.end_of_input) {
        if (e.length == 0)
            *result = edited::end;
        return action::delete_here;
    }
    if (key == e.keys.erase || c == 0x7f || c == '\b') {
        if (e.cursor > 0)
            erase(e, character_before(e, e.cursor), e.cursor);
    } else if (key == e.keys.kill || c == 0x15) { // Ctrl-U
        erase(e, 0, e.cursor);
    } else if (key == e.keys.word_erase || c == 0x17) { // Ctrl-W
        erase(e, word_before(e, e.cursor), e.cursor);
    } else if (c == 0x0b) { // Ctrl-K
        e.length = e.cursor;
    } else {
        switch (c) {
        case 0x01: // Ctrl-A
            return action::home;
        case 0x05: // Ctrl-E
            return action::end;
        case 0x02: // Ctrl-B
            return action::left;
        case 0x06: // Ctrl-F
            return action::right;
        case 0x10: // Ctrl-P
            return action::older;
        case 0x0e: // Ctrl-N
            return action::newer;
        default:
            break; // the others do nothing here
        }
    }
    return action::none;
}

void act(line_editor& e, action a)
{
    switch (a) {
    case action::left:
        e.cursor = character_before(e, e.cursor);
        break;
    case action::right:
        e.cursor = e.cursor < e.length ? character_after(e, e.cursor) : e.length;
        break;
    case action::home:
        e.cursor = 0;
        break;
    case action::end:
        e.cursor = e.length;
        break;
    case action::delete_here:
        if (e.cursor < e.length)
            erase(e, e.cursor, character_after(e, e.cursor));
        break;
    case action::older:
    case action::newer:
        recall(e, a == action::older);
        break;
    case action::none:
        break;
    }
}

void move_cursor(output_buffer& screen, int count, char direction)
{
    if (count <= 0)
        return;
    char sequence[32] = {escape, '['};
    char* end = put_decimal(static_cast<unsigned>(count), sequence + 2);
    *end++ = direction;
    put_text(screen, std::string_view(sequence, static_cast<std::size_t>(end - sequence)));
}

} // namespace

void init_editor(line_editor& e, editing_keys keys)
{
    e.keys = keys;
    e.in_paste = false;
    e.length = e.cursor = e.done = e.resume = 0;
    e.browsed = e.history_used = e.saved_length = 0;
}

edited take_keys(line_editor& e, std::string_view pending, bool rest_overdue, std::size_t* used)
{
    edited result = edited::more;
    std::size_t at = 0;
    while (at < pending.size() && result == edited::more) {
        // Views made by hand here and below: substr would bring the C++
        // runtime's exceptions into a program that needs only the C library.
        const std::string_view rest(pending.data() + at, pending.size() - at);
        const marker m = paste_marker_at(rest);
        if (m == marker::opens || m == marker::closes) {
            e.in_paste = m == marker::opens;
            at += paste_marker_length;
            continue;
        }
        // In a paste the rest of a closing marker is waited for however
        // long it takes: a paste ends with one.
        if (m == marker::partial && (e.in_paste || !rest_overdue))
            break;
        bool complete = true;
        const std::size_t length = e.in_paste ? 1 : first_key_length(rest, &complete);
        if (!complete && !rest_overdue)
            break;
        const std::string_view key(rest.data(), length);
        // Pasted text is text, control characters and all but its line ends.
        const bool pasted = e.in_paste && key[0] != '\r' && key[0] != '\n';
        if (pasted || key[0] == '\t' || !is_control(key[0])) {
            if (e.length + key.size() > line_capacity) {
                result = break_line(e); // the key starts the next line
                break;
            }
            insert(e, key[0] == '\t' ? " " : key);
        } else if (key[0] == escape) {
            act(e, escape_action(key));
        } else {
            act(e, control_action(e, key[0], &result));
        }
        at += length;
    }
    *used = at;
    return result;
}

std::string_view finished_line(const line_editor& e)
{
    return std::string_view(e.text, e.done);
}

void next_line(line_editor& e)
{
    const std::size_t size = e.done + 1;
    const std::size_t last_start = e.history_used == 0 ? 0 : entry_before(e, e.history_used);
    const std::string_view last(e.history + last_start, e.history_used - last_start - (e.history_used > 0));
    if (last != finished_line(e) && size <= history_capacity) {
        // The oldest lines make room.
        std::size_t drop = 0;
        while (e.history_used - drop + size > history_capacity)
            drop = entry_end(e, drop) + 1;
        std::memmove(e.history, e.history + drop, e.history_used - drop);
        e.history_used -= drop;
        std::memcpy(e.history + e.history_used, e.text, e.done);
        e.history[e.history_used + e.done] = '\n';
        e.history_used += size;
    }
    e.browsed = e.history_used;
    set_line(e, e.text + e.resume, e.length - e.resume);
}

void put_shown(output_buffer& screen, std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !is_control(text[i]))
            continue;
        put_text(screen, std::string_view(text.data() + start, i - start));
        if (i < text.size()) {
            const char caret[] = {'^', static_cast<char>(text[i] ^ 0x40)};
            put_text(screen, std::string_view(caret, 2));
        }
        start = i + 1;
    }
}

int draw_line(output_buffer& screen, std::string_view prompt, std::string_view text, std::size_t cursor, int width,
              int cursor_row, bool fresh)
{
    if (!fresh)
        move_cursor(screen, cursor_row, 'A');
    put_text(screen, "\r");
    put_shown(screen, prompt);
    put_shown(screen, text);
    const int start = columns(prompt);
    const int end = start + columns(text);
    // A line that fills its last row leaves the cursor at the margin, where
    // terminals differ: a line end takes it to the next row for all alike.
    if (end > 0 && end % width == 0)
        put_text(screen, "\n");
    put_text(screen, "\x1b[J");
    const int at = start + columns(std::string_view(text.data(), cursor));
    move_cursor(screen, end / width - at / width, 'A');
    put_text(screen, "\r");
    move_cursor(screen, at % width, 'C');
    return at / width;
}
