// The line typed at a question, edited and drawn by the program, as readline does, from the keys a terminal sends: the
// usual editing keys, Up and Down through the run's lines, Enter.  Pasted text is text; terminal-posix.cc does the I/O.
#ifndef VORLANE_CONSOLE_LINE_EDITOR_H
#define VORLANE_CONSOLE_LINE_EDITOR_H

#include <cstddef>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

// Room for two of the longest numbers: a longer line (a paste) is broken at its last blank, cutting no number in two.
inline constexpr std::size_t line_capacity = 2 * longest_number + 64;
inline constexpr std::size_t history_lines = 64;
inline constexpr std::size_t history_width = 256; // longer lines are not kept

// The terminal's own erase, kill, word-erase and end-of-file characters (stty), -1 where disabled; the usual ones too.
struct editing_keys {
    int erase, kill, word_erase, end_of_input;
};

// more: every key taken, or one's rest to come; line: a line is finished; end: end-of-input key on an empty line.
enum class edited { more, line, end };

struct line_editor {
    editing_keys keys;
    bool in_paste;
    std::size_t length, cursor; // text[0, length), the cursor before text[cursor]
    std::size_t done, resume;   // the finished line is text[0, done); the next starts at text[resume]
    std::size_t kept, browsed;  // lines kept in the history, and the one shown (kept: the line typed)
    std::size_t saved_length;
    char text[line_capacity];
    char saved[line_capacity]; // the line typed, while earlier ones are shown
    char history[history_lines][history_width];
    std::size_t history_length[history_lines];
};

void init_editor(line_editor& e, editing_keys keys);

// Takes keys up to a finished line, the input's end, or a key cut short (taken as it is if rest_overdue); *used: bytes.
edited take_keys(line_editor& e, std::string_view pending, bool rest_overdue, std::size_t* used);

// Keeps the finished line, text[0, done), in the history and starts the next.
void next_line(line_editor& e);

// Text as a terminal's echo shows it: control characters as ^X.
void put_shown(output_buffer& screen, std::string_view text);

// Draws prompt and text on a screen width columns wide, the cursor before text[cursor], and returns the cursor's row
// below the prompt's.  cursor_row: that row now; fresh: at the start of a line instead.
int draw_line(output_buffer& screen, std::string_view prompt, std::string_view text, std::size_t cursor, int width,
              int cursor_row, bool fresh);

#endif
