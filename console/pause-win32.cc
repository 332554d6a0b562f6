#include "console/pause.h"

#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "console/pause_keys.h"

// The console keeps what is typed as key events until a read takes them,
// so the pause only looks at them: it takes the one event of a single key
// press and leaves everything else, typed-ahead lines and pastes, for the
// next questions.  The console's mode is not changed, so there is nothing
// to put back, and Ctrl-C still ends the program as it always does.

namespace {

// A key-down that a person means as a key press: one that types a
// character, or a key of its own (an arrow, a function key); not Shift,
// Ctrl, Alt, a lock key or a Windows key alone.
bool is_key_press(const INPUT_RECORD& r)
{
    if (r.EventType != KEY_EVENT || !r.Event.KeyEvent.bKeyDown)
        return false;
    if (r.Event.KeyEvent.uChar.UnicodeChar != 0)
        return true;
    switch (r.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
        return false;
    default:
        return true;
    }
}

// Drops the pending events in front of the first key press (key-ups, bare
// modifiers, mouse, focus and size events) and counts the key presses
// pending, a key held down once for each repeat.  -1 if the console
// cannot be read.
long pending_key_presses(HANDLE console)
{
    INPUT_RECORD events[256];
    for (;;) {
        DWORD count = 0;
        if (!PeekConsoleInputW(console, events, 256, &count))
            return -1;
        DWORD ignored = 0;
        while (ignored < count && !is_key_press(events[ignored]))
            ++ignored;
        long presses = 0;
        for (DWORD i = ignored; i < count; ++i) {
            if (is_key_press(events[i]))
                presses += events[i].Event.KeyEvent.wRepeatCount;
        }
        DWORD dropped = 0;
        if (ignored > 0 && !ReadConsoleInputW(console, events, ignored, &dropped))
            return -1;
        if (ignored < count || count < 256)
            return presses;
        // A full batch of events that are no key press: more may follow.
    }
}

} // namespace

// The console keeps typed-ahead lines as key events: nothing to take.
void take_typed_ahead(token_reader&) {}

void wait_for_key_press(token_reader& in, const output_buffer&)
{
    const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(in.fd));
    // Keys typed ahead and still pending in the console end the pause at
    // once, consumed by nothing.
    if (pending_key_presses(console) != 0)
        return;
    for (;;) {
        if (WaitForSingleObject(console, INFINITE) != WAIT_OBJECT_0)
            return;
        long presses = pending_key_presses(console);
        if (presses == 0)
            continue;
        if (presses != 1)
            return; // a paste or a burst of keys, left whole; or an error
        // One key press so far: it is the pause's if nothing more follows
        // it soon, as a paste would.  The console is signalled while any
        // event is pending, this one included, so it is watched by count.
        const ULONGLONG since = GetTickCount64();
        while (presses == 1 && GetTickCount64() - since < static_cast<ULONGLONG>(key_quiet_ms)) {
            Sleep(10);
            presses = pending_key_presses(console);
        }
        if (presses == 1) {
            INPUT_RECORD key;
            DWORD count = 0;
            ReadConsoleInputW(console, &key, 1, &count);
        }
        return;
    }
}
