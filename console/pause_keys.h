// What one key press is, in the bytes a terminal sends for it.  The pause
// between two cycles takes exactly one key press: anything more that
// arrives with it (a paste, keys typed faster than the program reads) is
// input for the next questions and must be left for them.
#ifndef VORLANE_CONSOLE_PAUSE_KEYS_H
#define VORLANE_CONSOLE_PAUSE_KEYS_H

#include <cstddef>
#include <string_view>

// A key's bytes may arrive in pieces (an escape sequence over a slow
// line); the pause waits this long after the last piece before it judges
// what has come, so that a whole paste has arrived by then too.
inline constexpr int key_quiet_ms = 150;

// Returned while what has arrived may still grow into one key press.
inline constexpr std::size_t key_not_yet_known = static_cast<std::size_t>(-1);

// How many of the bytes that arrived while the pause waited it takes:
// all of them when they are one key press, none when they are more than
// one.  quiet says that nothing more has come for key_quiet_ms; until
// then, one key press or the start of one is key_not_yet_known.  One key
// press is one byte, one UTF-8 character, an escape sequence (CSI "ESC [
// ... final", SS3 "ESC O x") or Alt with a key ("ESC" and that key).  A
// lone ESC or a cut sequence that stays alone is one key too.
std::size_t key_press_bytes(std::string_view arrived, bool quiet);

#endif
