// What one key press is, in what a terminal or console hands over: the pause takes one, and more that comes with it (a
// paste, fast typing) is left for the next questions.  Plain rules for every platform; terminal files act on them.
#ifndef VORLANE_CONSOLE_PAUSE_KEYS_H
#define VORLANE_CONSOLE_PAUSE_KEYS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "console/stream_input.h"

// How long a key cut short (a lone ESC, part of a sequence or a character) waits for its rest, as terminals wait.
inline constexpr int key_rest_ms = 100;

enum class arrived_as {
    nothing_yet,     // nothing, or the start of a key whose rest may still come
    one_key,         // one key press: the pause takes it and ends
    end_of_input,    // the end-of-input key alone (Ctrl-D; Ctrl-Z on Windows)
    more_than_a_key, // a paste, or keys typed in a burst: the pause ends and takes none
    blank,           // a paste's closing marker alone: white space, dropped; the pause goes on
};

struct pause_verdict {
    arrived_as kind;
    // Bytes or events taken: the key's or marker's; else console events in front that are no key press.
    std::size_t count;
};

// The length of the first key in bytes from a terminal: a byte, a UTF-8 character, an escape sequence (CSI, the Linux
// console's "ESC [ [ x", SS3), or ESC and a key for Alt.  complete: false where more may follow.
std::size_t first_key_length(std::string_view bytes, bool* complete);

// The bytes that came to the terminal while the pause waits; a paste is more than a key from its first byte.  in_paste:
// all is the next questions' but its closing marker (waited for as long as it takes).  end_of_input_key: the terminal's
// end-of-file character, or -1; rest_overdue: nothing more came for key_rest_ms.
pause_verdict judge_terminal_bytes(std::string_view arrived, int end_of_input_key, bool rest_overdue, bool in_paste);

// One input event of a Windows console, as the pause needs to know it.
struct console_event {
    enum class type { key_down, key_up, other } kind; // other: mouse, focus, size, menu
    char16_t character;                               // UTF-16 unit typed; 0 for an arrow, F-key, modifier
    bool modifier_alone;                              // Shift, Ctrl, Alt, a lock or a Windows key
    std::uint16_t repeat;                             // a key held down: one press per repeat
};

// The events pending at the console while the pause waits; a surrogate pair's two key-downs are one key.
pause_verdict judge_console_events(std::span<const console_event> events, char16_t end_of_input_key, bool rest_overdue);

// What was typed ahead ends the pause before any key is waited for: the end of the input, or anything but blanks unread
// (the 3 of "1 2 3").  Blanks answer nothing, and are dropped.
bool typed_ahead_ends_pause(token_reader& in);

// The same for keys at a terminal before the pause waits: any but blanks and paste markers (followed in paste_open).
bool keys_answer(std::string_view keys, bool* paste_open);

#endif
