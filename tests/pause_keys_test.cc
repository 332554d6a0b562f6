// The pause's one question, "one key or more?", bytes in and the count it
// takes out; expected counts from the terminals' key encodings.
#include "console/pause_keys.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

constexpr std::size_t wait = key_not_yet_known;

TEST(PauseKeys, HowManyBytesThePauseTakes)
{
    const struct {
        std::string arrived;
        std::size_t before_quiet; // while more may come
        std::size_t when_quiet;   // once nothing more has come
    } cases[] = {
        {"", wait, 0},
        {"x", wait, 1},
        {"\r", wait, 1},
        {"\x04", wait, 1},
        {"xy", 0, 0},                                 // two keys typed at once
        {"150 30\n", 0, 0},                           // a paste
        {"\x1b", wait, 1},                            // Esc, or the start of a sequence
        {"\x1b[", wait, 2},                           // a sequence cut short stays one key
        {"\x1b[A", wait, 3},                          // an arrow
        {"\x1b[Ax", 0, 0},                            // an arrow and a letter
        {"\x1b[A\x1b[B", 0, 0},                       // two arrows
        {"\x1b[15~", wait, 5},                        // F5
        {"\x1b[1;5C", wait, 6},                       // Ctrl and an arrow
        {"\x1b[[A", wait, 4},                         // F1 on the Linux console
        {"\x1b[[", wait, 3},                          //
        {"\x1bOP", wait, 3},                          // F1 as SS3
        {"\x1bO", wait, 2},                           // Alt and O, or SS3 cut short
        {"\x1bOPx", 0, 0},                            //
        {"\x1bx", wait, 2},                           // Alt and x
        {"\x1bxy", 0, 0},                             //
        {"\x1b\x1b[A", wait, 4},                      // Alt and an arrow (rxvt)
        {"\x1b\x1b", wait, 2},                        //
        {"\x1b\x1bx", 0, 0},                          // Esc, then Alt and x
        {"\xc3\xa9", wait, 2},                        // é
        {"\xc3", wait, 1},                            // its first byte alone
        {"\xc3x", 0, 0},                              // a broken character and a letter
        {"\xe2\x82\xac", wait, 3},                    // €
        {"\xf0\x9f\x98\x80", wait, 4},                // an emoji
        {"\xf0\x9f\x98", wait, 3},                    //
        {"\xc3\xa9\xc3\xa9", 0, 0},                   // two characters
        {"\x80", wait, 1},                            // a stray continuation byte
        {"\x1b\xc3\xa9", wait, 3},                    // Alt and é
        {"\x1b[" + std::string(40, '1') + "~", 0, 0}, // parameters beyond any key's
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const char b : c.arrived) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(b)));
            shown += b >= ' ' && b < 0x7f ? std::string(1, b) : std::string(hex);
        }
        EXPECT_EQ(key_press_bytes(c.arrived, false), c.before_quiet) << shown;
        EXPECT_EQ(key_press_bytes(c.arrived, true), c.when_quiet) << shown;
    }
}

} // namespace
