// The two markers that a terminal in bracketed-paste mode puts around a
// paste, and the one matcher for them.  Sizes from a file or a pipe take
// them for white space; at a terminal they tell pasted text from keys.
#ifndef VORLANE_CONSOLE_PASTE_MARKER_H
#define VORLANE_CONSOLE_PASTE_MARKER_H

#include <cstddef>
#include <string_view>

inline constexpr std::string_view paste_opens = "\x1b[200~";
inline constexpr std::string_view paste_closes = "\x1b[201~";
inline constexpr std::size_t paste_marker_length = 6;

// partial: bytes is the start of a marker that more bytes may complete.
enum class marker { none, opens, closes, partial };

// Which marker bytes starts with.
inline marker paste_marker_at(std::string_view bytes) {
    if (bytes.starts_with(paste_opens)) return marker::opens;
    if (bytes.starts_with(paste_closes)) return marker::closes;
    if (bytes.size() < paste_marker_length && (paste_opens.starts_with(bytes) || paste_closes.starts_with(bytes)))
        return bytes.empty() ? marker::none : marker::partial;
    return marker::none;
}

#endif
