// The markers a terminal in bracketed-paste mode puts around a paste.
#ifndef VORLANE_CONSOLE_PASTE_MARKER_H
#define VORLANE_CONSOLE_PASTE_MARKER_H

#include <cstddef>
#include <string_view>

inline constexpr std::string_view paste_opens = "\x1b[200~";
inline constexpr std::string_view paste_closes = "\x1b[201~";
inline constexpr std::size_t paste_marker_length = 6;

// Which marker bytes starts with; partial: the start of one, cut short.
enum class marker { none, opens, closes, partial };
inline marker paste_marker_at(std::string_view bytes) {
    if (bytes.starts_with(paste_opens)) return marker::opens;
    if (bytes.starts_with(paste_closes)) return marker::closes;
    const bool start = !bytes.empty() && (paste_opens.starts_with(bytes) || paste_closes.starts_with(bytes));
    return start && bytes.size() < paste_marker_length ? marker::partial : marker::none;
}

#endif
