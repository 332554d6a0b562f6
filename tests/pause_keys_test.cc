// The pause's one question, "one key or more?", asked of what a terminal
// or a console hands over; the expected verdicts follow the terminals' key
// encodings (ECMA-48, xterm, the Linux console), UTF-8 and UTF-16.
#include "console/pause_keys.h"

#include <cstring>
#include <memory>

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

constexpr pause_verdict waits{arrived_as::nothing_yet, 0};
constexpr pause_verdict more{arrived_as::more_than_a_key, 0};
constexpr pause_verdict ctrl_d{arrived_as::end_of_input, 1};

constexpr pause_verdict key(std::size_t count) { return {arrived_as::one_key, count}; }

std::string shown(const std::string& bytes) {
    std::string text;
    for (const char b : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(b)));
        text += b >= ' ' && b < 0x7f ? std::string(1, b) : std::string(hex);
    }
    return text;
}

void expect_verdict(const pause_verdict& got, const pause_verdict& want, const std::string& what) {
    EXPECT_EQ(static_cast<int>(got.kind), static_cast<int>(want.kind)) << what;
    EXPECT_EQ(got.count, want.count) << what;
}

TEST(PauseKeys, TerminalBytes) {
    const struct {
        std::string arrived;
        pause_verdict at_once; // as it comes
        pause_verdict overdue; // once its rest has not come in time
        bool in_paste = false; // within a marked paste
    } cases[] = {
        {"", waits, waits},
        {"x", key(1), key(1)},
        {"\n", key(1), key(1)},                                        // Enter
        {"\x04", ctrl_d, ctrl_d},                                      // Ctrl-D alone ends the input
        {"\x04x", more, more},                                         //
        {"xy", more, more},                                            // two keys typed at once
        {"150 30\n", more, more},                                      // a paste
        {"3\n", more, more},                                           // a line typed ahead
        {"\x1b", waits, key(1)},                                       // Esc, or the start of a sequence
        {"\x1b[", waits, key(2)},                                      // a sequence cut short is one key
        {"\x1b[A", key(3), key(3)},                                    // an arrow
        {"\x1b[Ax", more, more},                                       // an arrow and a letter
        {"\x1b[A\x1b[B", more, more},                                  // two arrows
        {"\x1b[15~", key(5), key(5)},                                  // F5
        {"\x1b[15;5~", key(7), key(7)},                                // Ctrl-F5
        {"\x1b[15;5", waits, key(6)},                                  //
        {"\x1b[1;5C", key(6), key(6)},                                 // Ctrl and an arrow
        {"\x1b[[A", key(4), key(4)},                                   // F1 on the Linux console
        {"\x1b[[", waits, key(3)},                                     //
        {"\x1bOP", key(3), key(3)},                                    // F1 as SS3
        {"\x1bO", waits, key(2)},                                      // Alt and O, or SS3 cut short
        {"\x1bOPx", more, more},                                       //
        {"\x1bx", key(2), key(2)},                                     // Alt and x
        {"\x1bxy", more, more},                                        //
        {"\x1b\x1b[A", key(4), key(4)},                                // Alt and an arrow (rxvt)
        {"\x1b\x1b", waits, key(2)},                                   //
        {"\x1b\x1bx", more, more},                                     // Esc, then Alt and x
        {"\x1b\xc3\xa9", key(3), key(3)},                              // Alt and é
        {"\x1b[" + std::string(32, '1') + "~", key(35), key(35)},      // the longest parameters taken
        {"\x1b[" + std::string(33, '1') + "~", more, more},            // beyond any key's
        {"\xc3\xa9", key(2), key(2)},                                  // é
        {"\xc3", waits, key(1)},                                       // its first byte alone
        {"\xc3x", more, more},                                         // a broken character and a letter
        {"\xc3\x7f", more, more},                                      // 0x7f continues nothing
        {"\xc3\xc0", more, more},                                      // nor does 0xc0
        {"\xc2\x80", key(2), key(2)},                                  // the first two-byte character
        {"\xdf\xbf", key(2), key(2)},                                  // the last
        {"\xc1\x81", more, more},                                      // 0xc1 leads nothing
        {"\xe0\xa0\x80", key(3), key(3)},                              // three bytes, first and last
        {"\xef\xbf\xbf", key(3), key(3)},                              //
        {"\xe2\x82", waits, key(2)},                                   // € cut short
        {"\xf0\x9f\x98\x80", key(4), key(4)},                          // an emoji
        {"\xf0\x9f\x98", waits, key(3)},                               //
        {"\xf4\x8f\xbf\xbf", key(4), key(4)},                          // the last character
        {"\xf5\x80", more, more},                                      // 0xf5 leads nothing
        {"\xc3\xa9\xc3\xa9", more, more},                              // two characters
        {"\x80", key(1), key(1)},                                      // a stray continuation byte
        {"\xbf", key(1), key(1)},                                      //
        {"\x1b[200~", more, more},                                     // a marked paste begins
        {"\x1b[200~30 10\n", more, more},                              //
        {"\x1b[20", waits, key(4)},                                    // a marker or F9, cut short
        {"\x1b[201~", {arrived_as::blank, 6}, {arrived_as::blank, 6}}, // a paste's end, alone
        {"\x1b[201~x", {arrived_as::blank, 6}, {arrived_as::blank, 6}},
        // Within a paste all is the next questions', but its end, whose rest may come late.
        {"", waits, waits, true},
        {"5", more, more, true},
        {"30 10\n", more, more, true},
        {"\x1b[20", waits, waits, true},
        {"\x1b[201~", {arrived_as::blank, 6}, {arrived_as::blank, 6}, true},
        {"\x1b[201~x", {arrived_as::blank, 6}, {arrived_as::blank, 6}, true},
    };
    for (const auto& c : cases) {
        expect_verdict(judge_terminal_bytes(c.arrived, 4, false, c.in_paste), c.at_once, shown(c.arrived));
        expect_verdict(judge_terminal_bytes(c.arrived, 4, true, c.in_paste), c.overdue, shown(c.arrived) + " overdue");
    }
    // A terminal whose end-of-file character is off.
    expect_verdict(judge_terminal_bytes("\x04", -1, false, false), key(1), "no end-of-file character");
}

TEST(PauseKeys, ConsoleEvents) {
    using kind = console_event::type;
    const console_event x_down{kind::key_down, u'x', false, 1};
    const console_event x_up{kind::key_up, u'x', false, 1};
    const console_event y_down{kind::key_down, u'y', false, 1};
    const console_event shift_down{kind::key_down, 0, true, 1};
    const console_event arrow_down{kind::key_down, 0, false, 1}; // a key of its own, no character
    const console_event mouse{kind::other, 0, false, 0};
    const console_event held_x{kind::key_down, u'x', false, 3};
    const console_event high_down{kind::key_down, 0xD83D, false, 1}; // U+1F600 in UTF-16
    const console_event high_up{kind::key_up, 0xD83D, false, 1};
    const console_event low_down{kind::key_down, 0xDE00, false, 1};
    const console_event low_up{kind::key_up, 0xDE00, false, 1};
    const console_event ctrl_z{kind::key_down, 0x1a, false, 1};
    const console_event first_high{kind::key_down, 0xD800, false, 1}; // the edges of the two halves' ranges
    const console_event last_high{kind::key_down, 0xDBFF, false, 1};
    const console_event first_low{kind::key_down, 0xDC00, false, 1};
    const console_event last_low{kind::key_down, 0xDFFF, false, 1};
    const console_event before_high{kind::key_down, 0xD7FF, false, 1};
    const console_event after_low{kind::key_down, 0xE000, false, 1};
    const console_event held_low{kind::key_down, 0xDE00, false, 2};
    const console_event enter_down{kind::key_down, u'\r', false, 1};
    const struct {
        const char* name;
        std::vector<console_event> events;
        pause_verdict at_once;
        pause_verdict overdue;
    } cases[] = {
        {"nothing", {}, waits, waits},
        {"a key-up", {x_up}, {arrived_as::nothing_yet, 1}, {arrived_as::nothing_yet, 1}},
        {"Shift alone", {shift_down}, {arrived_as::nothing_yet, 1}, {arrived_as::nothing_yet, 1}},
        {"mouse and focus", {mouse, mouse}, {arrived_as::nothing_yet, 2}, {arrived_as::nothing_yet, 2}},
        {"a letter", {x_down}, key(1), key(1)},
        {"a letter and its key-up", {x_down, x_up}, key(1), key(1)},
        {"a key-up, then a letter", {x_up, x_down}, key(2), key(2)},
        {"Shift and a capital", {shift_down, x_down}, key(2), key(2)},
        {"mouse, then a letter", {mouse, x_down}, key(2), key(2)},
        {"an arrow", {arrow_down}, key(1), key(1)},
        {"two letters", {x_down, x_up, y_down}, more, more},
        {"a key held down", {held_x}, more, more},
        {"an emoji", {high_down, high_up, low_down, low_up}, key(3), key(3)},
        {"an emoji, both halves down first", {high_down, low_down}, key(2), key(2)},
        {"half an emoji", {high_down, high_up}, waits, key(1)},
        {"half an emoji, then a letter", {high_down, x_down}, more, more},
        {"an emoji and a letter", {high_down, low_down, x_down}, more, more},
        {"a stray low half", {low_down}, key(1), key(1)},
        {"the first pair of halves", {first_high, first_low}, key(2), key(2)},
        {"the last pair of halves", {last_high, last_low}, key(2), key(2)},
        {"a character just below the high halves, then a low half", {before_high, first_low}, more, more},
        {"a high half, then a character just above the low halves", {first_high, after_low}, more, more},
        {"a high half, then a low half held down", {high_down, held_low}, more, more},
        {"a line typed ahead, still pending", {x_down, x_up, enter_down}, more, more},
        {"Ctrl-Z", {ctrl_z}, {arrived_as::end_of_input, 1}, {arrived_as::end_of_input, 1}},
        {"Ctrl-Z and more", {ctrl_z, x_down}, more, more},
    };
    for (const auto& c : cases) {
        expect_verdict(judge_console_events(c.events, 0x1a, false), c.at_once, c.name);
        expect_verdict(judge_console_events(c.events, 0x1a, true), c.overdue, std::string(c.name) + ", overdue");
    }
}

// Typed ahead of the pause: keys that reached a terminal before the pause
// waits, and what the reader holds already (on every platform).
TEST(PauseKeys, WhatIsTypedAheadEndsThePause) {
    const struct {
        std::string typed;
        bool ends;
        bool paste_open; // after the keys, from a closed paste
    } cases[] = {
        {"3\n", true, false},          // left of "1 2 3": the next coil height
        {"5 6 7", true, false},        // part of a line
        {" \n\t\n", false, false},     // blank lines answer nothing, and go
        {"\x1b[201~\n", false, false}, // the end of a paste is blank too
        {"\x1b[200~4", true, true},    // a paste
        {"\x1b[200~\n", false, true},  // a paste whose rest is still to come
        {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(shown(c.typed));
        bool paste_open = false;
        EXPECT_EQ(keys_answer(c.typed, &paste_open), c.ends);
        EXPECT_EQ(paste_open, c.paste_open);
    }
    for (const std::string left : {"3\n", " \n\t\n", ""}) {
        auto in = std::make_unique<token_reader>();
        init_reader(*in, -1);
        std::memcpy(in->data, left.data(), left.size());
        in->end = left.size();
        const bool ends = left == "3\n";
        EXPECT_EQ(typed_ahead_ends_pause(*in), ends);
        EXPECT_EQ(in->next, ends ? 0 : left.size()) << "blanks alone are dropped, the rest kept";
    }
    auto in = std::make_unique<token_reader>();
    init_reader(*in, -1);
    in->at_end = true;
    EXPECT_TRUE(typed_ahead_ends_pause(*in)) << "the input's end ends it too";
}

} // namespace
