#include "console/terminal.h"

#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "console/pause_keys.h"

// The console keeps what is typed as events until a read takes them: the pause peeks, takes the events of one key and
// leaves the rest (lines typed ahead, pastes) to the next questions, which the console echoes; its mode stays.

namespace {

constexpr DWORD most_events = 256;
constexpr char16_t ctrl_z = 0x1a;

// Shift, Ctrl, Alt, a lock or a Windows key, pressed alone.
bool is_modifier_alone(const KEY_EVENT_RECORD& key) {
    constexpr WORD modifiers[] = {VK_SHIFT, VK_CONTROL, VK_MENU,    VK_LSHIFT,  VK_RSHIFT, VK_LCONTROL, VK_RCONTROL,
                                  VK_LMENU, VK_RMENU,   VK_CAPITAL, VK_NUMLOCK, VK_SCROLL, VK_LWIN,     VK_RWIN};
    for (const WORD modifier : modifiers) {
        if (key.wVirtualKeyCode == modifier) return key.uChar.UnicodeChar == 0;
    }
    return false;
}

console_event as_event(const INPUT_RECORD& r) {
    if (r.EventType != KEY_EVENT) return {console_event::type::other, 0, false, 0};
    const KEY_EVENT_RECORD& key = r.Event.KeyEvent;
    return {key.bKeyDown ? console_event::type::key_down : console_event::type::key_up,
            static_cast<char16_t>(key.uChar.UnicodeChar), is_modifier_alone(key), key.wRepeatCount};
}

// The verdict on the events pending now, and how many are pending.
bool judge_pending(HANDLE console, bool rest_overdue, pause_verdict* verdict, DWORD* pending) {
    INPUT_RECORD records[most_events];
    console_event events[most_events];
    DWORD count = 0;
    if (!PeekConsoleInputW(console, records, most_events, &count)) return false;
    for (DWORD i = 0; i < count; ++i) events[i] = as_event(records[i]);
    *verdict = judge_console_events(std::span<const console_event>(events, count), ctrl_z, rest_overdue);
    *pending = count;
    return true;
}

bool take_events(HANDLE console, std::size_t count) {
    INPUT_RECORD records[most_events];
    DWORD taken = 0;
    return count == 0 || ReadConsoleInputW(console, records, static_cast<DWORD>(count), &taken) != 0;
}

// Ctrl-C and Ctrl-Break end the program as they end a console program, with the status that says so, wherever it waits.
BOOL WINAPI on_control(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) ExitProcess(STATUS_CONTROL_C_EXIT);
    return FALSE;
}

} // namespace

// The console echoes, edits and recalls lines as the program reads them: no mode to take up, nothing to show.
void open_terminal(token_reader& in, output_buffer&) {
    if (in.from_terminal) SetConsoleCtrlHandler(on_control, TRUE);
}

void close_terminal(token_reader&, output_buffer&) {}

void show_answer(token_reader&, output_buffer&) {}

void wait_for_key_press(token_reader& in, output_buffer& out) {
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(in.fd));
    pause_verdict v = {};
    DWORD pending = 0;
    // Keys pending before the prompt shows were typed ahead, for the next questions: the pause ends at once.
    const bool typed_ahead =
        !judge_pending(console, false, &v, &pending) || v.kind != arrived_as::nothing_yet || v.count < pending;
    if (!flush_output(out) || typed_ahead) return;
    ULONGLONG half_key_since = 0;
    for (;;) {
        const bool overdue =
            half_key_since != 0 && GetTickCount64() - half_key_since >= static_cast<ULONGLONG>(key_rest_ms);
        if (!judge_pending(console, overdue, &v, &pending)) return;
        if (v.kind == arrived_as::one_key || v.kind == arrived_as::end_of_input) {
            take_events(console, v.count);
            in.at_end = v.kind == arrived_as::end_of_input;
        }
        if (v.kind != arrived_as::nothing_yet) return;
        // Events that are no key press are read away.
        if (!take_events(console, v.count)) return;
        if (v.count < pending) {
            // Half a character beyond the BMP, which keeps the console signalled: its other half is watched by time.
            if (half_key_since == 0) half_key_since = GetTickCount64();
            Sleep(10);
            continue;
        }
        half_key_since = 0;
        if (WaitForSingleObject(console, INFINITE) != WAIT_OBJECT_0) return;
    }
}
