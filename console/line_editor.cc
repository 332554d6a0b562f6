#include "console/line_editor.h"

#include <cstring>

#include "console/number_format.h"
#include "console/pause_keys.h"
#include "console/paste_marker.h"

// Views made by hand, not with substr, whose exceptions would bring in the C++ runtime beside the C library.

namespace {

enum class action { none, enter, eof, erase, erase_next, kill, kill_word, left, right, home, end, older, newer };

bool is_control(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }
bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Cursor keys, Home and End as ECMA-48 and xterm send them, any modifiers ("ESC [ 1 ; 5 C"), and as VT220's keypad
// ("ESC [ n ~", from tmux, screen and rxvt): 1 and 7 Home, 4 and 8 End, 3 Delete; others: none.
action escape_action(std::string_view key) {
    constexpr std::string_view finals = "ABCDHF17483";
    constexpr action by_final[] = {action::older, action::newer, action::right,     action::left,
                                   action::home,  action::end,   action::home,      action::home,
                                   action::end,   action::end,   action::erase_next};
    const bool vt220 = key.size() == 4 && key.back() == '~';
    const std::size_t at = finals.find(vt220 ? key[2] : key.back());
    return key.size() < 3 || (key[1] != '[' && key[1] != 'O') || at == finals.npos || (at > 5) != vt220 ? action::none
                                                                                                        : by_final[at];
}

// The terminal's own erase, kill, word-erase and end of file, the usual ones too, and readline's Ctrl-A, E, B and F.
action control_action(const line_editor& e, char c) {
    const int key = static_cast<unsigned char>(c);
    if (c == '\r' || c == '\n') return action::enter;
    if (key == e.keys.end_of_input) return action::eof;
    if (key == e.keys.erase || c == 0x7f || c == '\b') return action::erase;
    if (key == e.keys.kill || c == 0x15) return action::kill;
    if (key == e.keys.word_erase || c == 0x17) return action::kill_word;
    constexpr std::string_view moves = "\x01\x05\x02\x06";
    constexpr action by_move[] = {action::home, action::end, action::left, action::right};
    const std::size_t at = moves.find(c);
    return at == std::string_view::npos ? action::none : by_move[at];
}

void set_line(line_editor& e, const char* text, std::size_t length) {
    std::memmove(e.text, text, length);
    e.length = e.cursor = length;
}

void erase(line_editor& e, std::size_t from, std::size_t to) {
    std::memmove(e.text + from, e.text + to, e.length - to);
    e.length -= to - from;
    e.cursor = from;
}

std::size_t previous_character(const line_editor& e, std::size_t at) {
    while (at > 0 && is_continuation(e.text[--at])) {}
    return at;
}

std::size_t next_character(const line_editor& e, std::size_t at) {
    while (at < e.length && is_continuation(e.text[++at])) {}
    return at < e.length ? at : e.length;
}

edited finish(line_editor& e, std::size_t done, std::size_t resume) {
    e.done = done;
    e.resume = resume;
    return edited::line;
}

// Up (older) and Down (newer) through the lines kept; the line being typed is saved, and comes back after the newest.
void recall(line_editor& e, bool older) {
    const std::size_t oldest = e.kept > history_lines ? e.kept - history_lines : 0;
    if (e.browsed == (older ? oldest : e.kept)) return;
    if (e.browsed == e.kept) {
        std::memcpy(e.saved, e.text, e.length);
        e.saved_length = e.length;
    }
    e.browsed = older ? e.browsed - 1 : e.browsed + 1;
    const std::size_t slot = e.browsed % history_lines;
    const bool typed = e.browsed == e.kept;
    set_line(e, typed ? e.saved : e.history[slot], typed ? e.saved_length : e.history_length[slot]);
}

edited apply(line_editor& e, action a) {
    switch (a) {
    case action::enter:
        if (std::string_view(e.text, e.length).find_first_not_of(" \t") != std::string_view::npos)
            return finish(e, e.length, e.length);
        e.length = e.cursor = 0; // a blank line answers nothing
        break;
    case action::eof:
        if (e.length == 0) return edited::end;
        [[fallthrough]];
    case action::erase_next: erase(e, e.cursor, next_character(e, e.cursor)); break;
    case action::erase: erase(e, previous_character(e, e.cursor), e.cursor); break;
    case action::kill: erase(e, 0, e.cursor); break;
    case action::kill_word: {
        std::size_t start = e.cursor;
        while (start > 0 && is_blank(e.text[start - 1])) --start;
        while (start > 0 && !is_blank(e.text[start - 1])) --start;
        erase(e, start, e.cursor);
        break;
    }
    case action::left: e.cursor = previous_character(e, e.cursor); break;
    case action::right: e.cursor = next_character(e, e.cursor); break;
    case action::home: e.cursor = 0; break;
    case action::end: e.cursor = e.length; break;
    case action::older:
    case action::newer: recall(e, a == action::older); break;
    case action::none: break;
    }
    return edited::more;
}

int columns(std::string_view text) {
    int count = 0;
    for (const char c : text) count += is_control(c) ? 2 : !is_continuation(c);
    return count;
}

void move_cursor(output_buffer& screen, int count, char direction) {
    char sequence[32] = {'\x1b', '['};
    char* end = put_decimal(static_cast<unsigned>(count), sequence + 2);
    *end = direction;
    if (count > 0) put_text(screen, std::string_view(sequence, static_cast<std::size_t>(end + 1 - sequence)));
}

} // namespace

void init_editor(line_editor& e, editing_keys keys) {
    e.keys = keys;
    e.in_paste = false;
    e.length = e.cursor = e.kept = e.browsed = 0;
}

edited take_keys(line_editor& e, std::string_view pending, bool rest_overdue, std::size_t* used) {
    edited result = edited::more;
    std::size_t at = 0;
    while (result == edited::more && at < pending.size()) {
        const std::string_view rest(pending.data() + at, pending.size() - at);
        const marker m = paste_marker_at(rest);
        if (m == marker::opens || m == marker::closes) {
            e.in_paste = m == marker::opens;
            at += paste_marker_length;
            continue;
        }
        // A paste ends with its closing marker, whose rest is waited for however long it takes.
        if (m == marker::partial && (e.in_paste || !rest_overdue)) break;
        bool complete = true;
        const std::size_t length = e.in_paste ? 1 : first_key_length(rest, &complete);
        if (!complete && !rest_overdue) break;
        const std::string_view key(rest.data(), length);
        if ((e.in_paste && key[0] != '\r' && key[0] != '\n') || key[0] == '\t' || !is_control(key[0])) {
            if (e.length + length > line_capacity) {
                // Broken at the last blank; the key starts the next line.
                std::size_t blank = e.length;
                while (blank > 0 && !is_blank(e.text[blank - 1])) --blank;
                result = blank > 0 ? finish(e, blank - 1, blank) : finish(e, e.length, e.length);
                break;
            }
            const std::string_view text = key[0] == '\t' ? std::string_view(" ") : key;
            std::memmove(e.text + e.cursor + text.size(), e.text + e.cursor, e.length - e.cursor);
            std::memcpy(e.text + e.cursor, text.data(), text.size());
            e.length += text.size();
            e.cursor += text.size();
        } else {
            result = apply(e, key[0] == '\x1b' ? escape_action(key) : control_action(e, key[0]));
        }
        at += length;
    }
    *used = at;
    return result;
}

void next_line(line_editor& e) {
    if (e.done <= history_width) {
        std::memcpy(e.history[e.kept % history_lines], e.text, e.done);
        e.history_length[e.kept % history_lines] = e.done;
        ++e.kept;
    }
    e.browsed = e.kept;
    set_line(e, e.text + e.resume, e.length - e.resume);
}

void put_shown(output_buffer& screen, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (is_control(text[i])) {
            const char caret[] = {'^', static_cast<char>(text[i] ^ 0x40)};
            put_text(screen, std::string_view(text.data() + start, i - start));
            put_text(screen, std::string_view(caret, 2));
            start = i + 1;
        }
    }
    put_text(screen, std::string_view(text.data() + start, text.size() - start));
}

int draw_line(output_buffer& screen, std::string_view prompt, std::string_view text, std::size_t cursor, int width,
              int cursor_row, bool fresh) {
    move_cursor(screen, fresh ? 0 : cursor_row, 'A');
    put_text(screen, "\r");
    put_shown(screen, prompt);
    put_shown(screen, text);
    const int end = columns(prompt) + columns(text);
    // A line filling its last row leaves the cursor at the margin, where terminals differ: a line end moves it on.
    if (end > 0 && end % width == 0) put_text(screen, "\n");
    put_text(screen, "\x1b[J");
    const int at = columns(prompt) + columns(std::string_view(text.data(), cursor));
    move_cursor(screen, end / width - at / width, 'A');
    put_text(screen, "\r");
    move_cursor(screen, at % width, 'C');
    return at / width;
}
