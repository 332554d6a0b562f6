// What one key press is, in what a terminal or a console hands over for
// it, and what typed ahead ends the pause before any key.  The pause
// between two cycles takes exactly one key press: anything more that
// arrives with it (a paste, keys typed faster than the program reads) is
// input for the next questions and must be left for them.  Plain rules,
// the same on every platform; the terminal's platform files only read the
// terminal or the console and act on the verdict.
#ifndef VORLANE_CONSOLE_PAUSE_KEYS_H
#define VORLANE_CONSOLE_PAUSE_KEYS_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "console/stream_input.h"

// A complete key ends the pause as soon as it is read.  Only a key that
// has come in part (a lone ESC, an escape sequence or a UTF-8 character
// cut short) waits for its rest, this long at most, as terminals wait for
// the rest of a key sequence; then what has come is taken as one key.
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
    // The bytes or events the pause takes: those of the key (one_key,
    // end_of_input) or of the marker (blank); for nothing_yet and
    // more_than_a_key, console events in front that are no key press.
    std::size_t count;
};

// The length of the first key press in bytes from a terminal: one byte,
// one UTF-8 character, an escape sequence (CSI "ESC [ ... final", the
// Linux console's "ESC [ [ x", SS3 "ESC O x"), or Alt with a key (ESC and
// that key).  complete: false where more bytes may still belong to it.
std::size_t first_key_length(std::string_view bytes, bool* complete);

// The bytes that have arrived at the terminal while the pause waits.  A
// marked paste is more than a key from its first byte.  end_of_input_key
// is the terminal's end-of-file character, or -1.  rest_overdue: nothing
// more has come for key_rest_ms.
pause_verdict judge_terminal_bytes(std::string_view arrived, int end_of_input_key, bool rest_overdue);

// One input event of a Windows console, as the pause needs to know it.
struct console_event {
    enum class type { key_down, key_up, other } kind; // other: mouse, focus, size, menu
    char16_t character;                               // UTF-16 unit typed; 0 for an arrow, F-key, modifier
    bool modifier_alone;                              // Shift, Ctrl, Alt, a lock or a Windows key
    std::uint16_t repeat;                             // a key held down: one press per repeat
};

// The events pending at the console while the pause waits.  Key-ups,
// modifiers alone, mouse, focus and size events are no key press; a
// character outside the Basic Multilingual Plane comes as two key-downs
// (a surrogate pair) and is one key.  end_of_input_key is Ctrl-Z's
// character.
pause_verdict judge_console_events(std::span<const console_event> events, char16_t end_of_input_key, bool rest_overdue);

// The rule for what was typed ahead, alike on every platform: anything
// but blanks left unread (the 3 of "1 2 3", typed at the question before)
// or the end of the input ends the pause at once, before any key is
// waited for; blanks alone are no answer to anything, and are dropped.
bool typed_ahead_ends_pause(token_reader& in);

// The same rule for keys that reached a terminal before the pause waits
// (typed while the report was written, or pasted): anything but blanks
// and paste markers answers the next question.  paste_open follows the
// markers among them.
bool keys_answer(std::string_view keys, bool* paste_open);

#endif
