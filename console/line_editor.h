// The line that a person types at a question, kept, edited and shown by
// the program itself, as readline, libedit and the Windows console do:
// the terminal echoes nothing while the program owns it.  Keys come as
// the bytes a terminal sends; Backspace, Ctrl-U, Ctrl-W, Left, Right,
// Home, End and Delete edit the line, Up and Down recall the earlier lines
// of the run, Enter ends it.  Pasted text (between the markers of
// bracketed-paste mode) is taken as text, its line ends as Enter.  Plain
// rules over plain bytes; the terminal's platform file reads and writes.
#ifndef VORLANE_CONSOLE_LINE_EDITOR_H
#define VORLANE_CONSOLE_LINE_EDITOR_H

#include <cstddef>
#include <string_view>

#include "console/number_parse.h"
#include "console/stream_output.h"

// Room for two of the longest numbers and more.  A longer line, which
// only a paste can bring, is broken at its last blank, so that no number
// is cut in two.
inline constexpr std::size_t line_capacity = 2 * longest_number + 64;
inline constexpr std::size_t history_capacity = 8192;

// The terminal's own editing characters (stty erase, kill, werase, eof),
// -1 where one is disabled; the usual ones work as well.
struct editing_keys {
    int erase;
    int kill;
    int word_erase;
    int end_of_input;
};

// more: every key taken, or the rest of one still to come.  line: a line
// is finished (Enter, or a long paste broken).  end: the end-of-input key
// on an empty line.
enum class edited { more, line, end };

struct line_editor {
    editing_keys keys;
    bool in_paste;       // between a paste's markers
    std::size_t length;  // text[0, length) is the line
    std::size_t cursor;  // where the next key acts, at a character's first byte
    std::size_t done;    // the finished line is text[0, done)
    std::size_t resume;  // and the next one starts at text[resume]
    std::size_t browsed; // the history entry shown: its start, or history_used for the line being typed
    std::size_t history_used;
    std::size_t saved_length;
    char text[line_capacity];
    char saved[line_capacity];      // the line being typed, while earlier ones are recalled
    char history[history_capacity]; // earlier lines, oldest first, each ended by a newline
};

void init_editor(line_editor& e, editing_keys keys);

// Takes keys from the front of pending as far as they go: up to a finished
// line or the end of the input, or up to a key whose rest has not come yet
// (unless rest_overdue: then what has come is one key).  *used: the bytes
// taken.
edited take_keys(line_editor& e, std::string_view pending, bool rest_overdue, std::size_t* used);

// The line that take_keys finished, without its line end.
std::string_view finished_line(const line_editor& e);

// Puts the finished line in the history and starts the next one.
void next_line(line_editor& e);

// Shows text as a terminal's echo shows it: control characters as ^X.
void put_shown(output_buffer& screen, std::string_view text);

// Draws the prompt and text on a screen width columns wide, the cursor
// before text[cursor], and returns the row of the cursor counted from the
// prompt's.  cursor_row: where the cursor stands now, the same way; fresh:
// it stands at the start of a line of its own instead (back from a stop).
int draw_line(output_buffer& screen, std::string_view prompt, std::string_view text, std::size_t cursor, int width,
              int cursor_row, bool fresh);

#endif
