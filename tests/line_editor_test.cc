// The line editor on its own: keys as terminals send them (ECMA-48 and
// xterm sequences, UTF-8, bracketed paste), and the lines that come of
// them as readline and the Windows console would make them.
#include "console/line_editor.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct typed {
    std::vector<std::string> lines; // finished, in order
    std::string editing;            // the line still being typed
    bool ended = false;             // the end-of-input key on an empty line
};

typed type_keys(const std::string& keys) {
    auto e = std::make_unique<line_editor>();
    init_editor(*e, {0x7f, 0x15, 0x17, 0x04}); // stty's usual erase, kill, werase, eof
    typed result;
    std::string_view rest = keys;
    for (;;) {
        std::size_t used = 0;
        const edited r = take_keys(*e, rest, true, &used);
        rest.remove_prefix(used);
        if (r == edited::line) {
            result.lines.emplace_back(e->text, e->done);
            next_line(*e);
        } else {
            result.ended = r == edited::end;
            break;
        }
    }
    result.editing.assign(e->text, e->length);
    return result;
}

TEST(LineEditor, KeysEditTheLine) {
    const struct {
        const char* name;
        std::string keys;
        std::vector<std::string> lines;
        std::string editing;
    } cases[] = {
        {"typed and Enter", "100 20\r", {"100 20"}, ""},
        {"Enter as a line feed", "100\n", {"100"}, ""},
        {"Backspace",
         "100\x7f\x7f"
         "5\r",
         {"15"},
         ""},
        {"Backspace as Ctrl-H", "12\b3\r", {"13"}, ""},
        {"Left twice, then a digit",
         "12\x1b[D\x1b[D"
         "9\r",
         {"912"},
         ""},
        {"Left and Right in SS3 form",
         "12\x1bOD\x1bOD\x1bOC"
         "9\r",
         {"192"},
         ""},
        {"Home and End",
         "45\x1b[H"
         "9\x1b[F"
         "0\r",
         {"9450"},
         ""},
        {"Home and End as VT220's keypad sends them (tmux, screen)",
         "45\x1b[1~"
         "9\x1b[4~"
         "0\x1b[7~"
         "1\x1b[8~"
         "2\r",
         {"194502"},
         ""},
        {"Ctrl-A and Ctrl-E",
         "45\x01"
         "9\x05"
         "0\r",
         {"9450"},
         ""},
        {"Ctrl-W erases a word", "abc def\x17x\r", {"abc x"}, ""},
        {"Ctrl-W twice", "abc def\x17\x17x\r", {"x"}, ""},
        {"Ctrl-U", "1 2 3\x15", {}, ""},
        {"Ctrl-U before the cursor only", "12 34\x1b[D\x1b[D\x15\r", {"34"}, ""},
        {"Delete", "123\x1b[D\x1b[D\x1b[3~\r", {"13"}, ""},
        {"Ctrl-D within a line deletes", "12\x1b[D\x04\r", {"1"}, ""},
        {"a UTF-8 character erased whole", "5\xc3\xa9\x7f\r", {"5"}, ""},
        {"Left over a UTF-8 character",
         "\xc3\xa9\x1b[D"
         "5\r",
         {"5\xc3\xa9"},
         ""},
        {"a Tab is a blank", "1\t2\r", {"1 2"}, ""},
        {"blank lines answer nothing", "\r  \r\t\r5\r", {"5"}, ""},
        {"arrows, function keys and Alt are no text",
         "\x1b[A\x1b[15~\x1b[1;5C\x1bx"
         "5\r",
         {"5"},
         ""},
        {"control characters are no text",
         "\x07\x0f\x16"
         "5\r",
         {"5"},
         ""},
        {"Up recalls, older and older", "1 1\r2 2\r\x1b[A\x1b[A\r", {"1 1", "2 2", "1 1"}, ""},
        {"a line recalled and edited",
         "1 1\r\x1b[A\x7f"
         "5\r",
         {"1 1", "1 5"},
         ""},
        {"Down brings back the line being typed", "7 7\r8\x1b[A\x1b[B\r", {"7 7", "8"}, ""},
        {"Up beyond the oldest stays", "7\r\x1b[A\x1b[A\x1b[A\r", {"7", "7"}, ""},
        {"a marked paste", "\x1b[200~30 10\n40 10\n\x1b[201~", {"30 10", "40 10"}, ""},
        {"a marked paste with CR LF", "\x1b[200~1 2\r\n3 4\r\n\x1b[201~", {"1 2", "3 4"}, ""},
        {"a marked paste without its last line end", "\x1b[200~1 2\n3 4\x1b[201~", {"1 2"}, "3 4"},
        {"pasted control characters are text", "\x1b[200~5\x1b[2J 6\x7f\n\x1b[201~", {"5\x1b[2J 6\x7f"}, ""},
        {"keys after a paste are keys", "\x1b[200~12\x1b[201~\x7f\r", {"1"}, ""},
        {"typed ahead, unfinished", "7 8\r9", {"7 8"}, "9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const typed t = type_keys(c.keys);
        EXPECT_EQ(t.lines, c.lines);
        EXPECT_EQ(t.editing, c.editing);
        EXPECT_FALSE(t.ended);
    }
}

TEST(LineEditor, TheEndOfInputKeyEndsOnlyAnEmptyLine) {
    EXPECT_TRUE(type_keys("\x04").ended);
    EXPECT_TRUE(type_keys("5\x7f\x04").ended);
    EXPECT_FALSE(type_keys("5\x04").ended);
}

// Keys whose rest has not come are left for later, unless it is overdue.
TEST(LineEditor, AKeyCutShortWaitsForItsRest) {
    for (const std::string rest : {"\x1b", "\x1b[", "\x1b[1", "\xc3", "\x1b[20"}) {
        SCOPED_TRACE(rest.size());
        auto e = std::make_unique<line_editor>();
        init_editor(*e, {0x7f, 0x15, 0x17, 0x04});
        std::size_t used = 0;
        EXPECT_EQ(take_keys(*e, "12" + rest, false, &used), edited::more);
        EXPECT_EQ(used, 2u);
        EXPECT_EQ(std::string(e->text, e->length), "12");
    }
}

// A pasted line longer than the editor's room is broken between two
// numbers, not within one, and none of it is lost.
TEST(LineEditor, ALongPastedLineBreaksAtABlank) {
    std::string numbers;
    while (numbers.size() <= 2 * line_capacity) numbers += std::to_string(1000000 + numbers.size()) + " ";
    numbers.pop_back();
    const typed t = type_keys("\x1b[200~" + numbers + "\n\x1b[201~");
    ASSERT_GE(t.lines.size(), 3u);
    std::string joined;
    for (const std::string& line : t.lines) {
        EXPECT_LE(line.size(), line_capacity);
        joined += (joined.empty() ? "" : " ") + line;
    }
    EXPECT_EQ(joined, numbers);
}

} // namespace
