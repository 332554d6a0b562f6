#include "console/pause_keys.h"

#include "console/paste_marker.h"

namespace {

constexpr char escape = '\x1b';

struct first_key {
    std::size_t length;
    bool complete; // false: the bytes so far may be the start of a longer key
};

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// One byte or one UTF-8 character; a malformed one is its lead byte.
first_key character(std::string_view s) {
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t need = lead < 0xC2 || lead > 0xF4 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (std::size_t i = 1; i < need; ++i) {
        if (i == s.size()) return {i, false};
        if (!is_continuation(s[i])) return {1, true};
    }
    return {need, true};
}

// An escape sequence; alt_allowed: ESC before another key may be Alt.
first_key escape_sequence(std::string_view s, bool alt_allowed) {
    if (s.size() == 1) return {1, false};
    if (s[1] == '[') {
        // CSI: parameter and intermediate bytes, a final byte; the Linux console's F-keys have one more: "ESC [ [ A".
        std::size_t i = 2;
        if (i < s.size() && s[i] == '[') return s.size() > 3 ? first_key{4, true} : first_key{s.size(), false};
        constexpr std::size_t longest_parameters = 32;
        while (i < s.size() && s[i] >= 0x20 && s[i] <= 0x3F)
            if (++i - 2 > longest_parameters) return {i, true};
        if (i == s.size()) return {i, false};
        return s[i] >= 0x40 && s[i] <= 0x7E ? first_key{i + 1, true} : first_key{i, true};
    }
    if (s[1] == 'O') return s.size() > 2 ? first_key{3, true} : first_key{2, false};
    if (!alt_allowed) return {1, true};
    const std::string_view rest(s.data() + 1, s.size() - 1);
    const first_key key = rest[0] == escape ? escape_sequence(rest, false) : character(rest);
    return {1 + key.length, key.complete};
}

first_key first_key_of(std::string_view s) { return s[0] == escape ? escape_sequence(s, true) : character(s); }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool is_press(const console_event& e) { return e.kind == console_event::type::key_down && !e.modifier_alone; }
bool is_high_surrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool is_low_surrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

std::size_t first_key_length(std::string_view bytes, bool* complete) {
    const first_key key = first_key_of(bytes);
    *complete = key.complete;
    return key.length;
}

pause_verdict judge_terminal_bytes(std::string_view arrived, int end_of_input_key, bool rest_overdue, bool in_paste) {
    if (arrived.empty()) return {arrived_as::nothing_yet, 0};
    const marker m = paste_marker_at(arrived);
    if (in_paste && m != marker::closes)
        return {m == marker::none ? arrived_as::more_than_a_key : arrived_as::nothing_yet, 0};
    if (m == marker::opens) return {arrived_as::more_than_a_key, 0};
    if (m == marker::closes) return {arrived_as::blank, paste_marker_length};
    const first_key key = first_key_of(arrived);
    if (key.length < arrived.size()) return {arrived_as::more_than_a_key, 0};
    if (!key.complete && !rest_overdue) return {arrived_as::nothing_yet, 0};
    if (key.length == 1 && static_cast<unsigned char>(arrived[0]) == end_of_input_key)
        return {arrived_as::end_of_input, 1};
    return {arrived_as::one_key, key.length};
}

pause_verdict judge_console_events(std::span<const console_event> events, char16_t end_of_input_key,
                                   bool rest_overdue) {
    std::size_t first = 0;
    while (first < events.size() && !is_press(events[first])) ++first;
    if (first == events.size()) return {arrived_as::nothing_yet, first};
    const console_event& key = events[first];
    if (key.repeat > 1) return {arrived_as::more_than_a_key, first};
    std::size_t end = first + 1; // just after the key's last key-down
    if (is_high_surrogate(key.character)) {
        // The low half follows as the next key-down.
        std::size_t low = end;
        while (low < events.size() && !is_press(events[low])) ++low;
        if (low == events.size())
            return rest_overdue ? pause_verdict{arrived_as::one_key, end}
                                : pause_verdict{arrived_as::nothing_yet, first};
        if (is_low_surrogate(events[low].character) && events[low].repeat <= 1) end = low + 1;
    }
    for (std::size_t i = end; i < events.size(); ++i)
        if (is_press(events[i])) return {arrived_as::more_than_a_key, first};
    if (end == first + 1 && key.character == end_of_input_key) return {arrived_as::end_of_input, end};
    return {arrived_as::one_key, end};
}

bool typed_ahead_ends_pause(token_reader& in) {
    if (in.at_end || in.error != 0 || !only_blanks_unread(in)) return true;
    drop_unread(in);
    return false;
}

bool keys_answer(std::string_view keys, bool* paste_open) {
    for (std::size_t i = 0; i < keys.size();) {
        const marker m = paste_marker_at(std::string_view(keys.data() + i, keys.size() - i));
        if (m == marker::opens || m == marker::closes) {
            *paste_open = m == marker::opens;
            i += paste_marker_length;
        } else if (is_blank(keys[i])) {
            ++i;
        } else {
            return true;
        }
    }
    return false;
}
