#include "console/terminal.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/line_editor.h"
#include "console/pause_keys.h"
#include "console/paste_marker.h"

// The terminal in the program's mode: no line mode nor echo, so keys come at once and only what is drawn shows; pastes
// marked; input kept over Ctrl-Z (NOFLSH) and read out before the stop, so the shell runs none of a paste.  Handlers
// put the terminal back before a stop or an end, take it up on SIGCONT, and wake a wait through a pipe.

namespace {

constexpr int handled_signals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP, SIGCONT};
constexpr int handled_count = static_cast<int>(sizeof handled_signals / sizeof handled_signals[0]);
// Keys are read into the first half; the rest takes what the terminal holds at Ctrl-Z, else the shell's (4 KiB, Linux)
constexpr std::size_t keys_capacity = 16384, keys_read_ahead = keys_capacity / 2;

struct terminal_state {
    // Shared with the handlers.
    int fd = -1;             // the terminal typed at: standard input
    int screen_fd = -1;      // the terminal written to
    int notes[2] = {-1, -1}; // the handlers' wake-up calls
    termios found = {};      // the terminal as the program found it
    termios ours = {};
    volatile sig_atomic_t ours_on = 0; // the terminal is in the program's mode now
    volatile sig_atomic_t stopped = 0; // stopped since the line was drawn
    std::size_t keys_length = 0;       // changed by the program only with the handlers held off
    char keys[keys_capacity];          // read from the terminal, not yet taken
    sigset_t held = {}; // the handled signals, and SIGTTOU, which a change of mode from the background raises
    struct sigaction handler = {}; // on_signal, for each handled signal
    struct sigaction previous[handled_count] = {};
    // The program's alone.
    output_buffer* screen = nullptr; // out, where that is the terminal, or own_screen
    bool through_pipe = false;       // out is a pipe, whose reader (tee) shows the questions
    bool burst = false;              // the last line came with more behind it, or pasted
    std::string_view prompt;         // the prompt on the screen, as shown
    bool at_question = false;        // the line being edited stands after it
    bool drawn = false;              // and it is drawn, cursor_row rows below the prompt's row
    int cursor_row = 0;
    line_editor editor;
    output_buffer own_screen;
};

terminal_state t;

std::size_t least(int count, std::size_t room) { return std::min(static_cast<std::size_t>(count), room); }

// The question as the screen shows it: none where out is a file.
std::string_view shown(std::string_view prompt) { return t.screen != &t.own_screen || t.through_pipe ? prompt : ""; }

// Without a controlling terminal (setsid) no job control applies.
bool in_foreground() { return tcgetpgrp(t.fd) < 0 || tcgetpgrp(t.fd) == getpgrp(); }

// The handlers wait while the program changes the mode or reads.
sigset_t hold() {
    sigset_t previous;
    sigprocmask(SIG_BLOCK, &t.held, &previous);
    return previous;
}

void release(const sigset_t& previous) { sigprocmask(SIG_SETMASK, &previous, nullptr); }

// Safe in a handler, as is put_back.  A screen that fails now fails again at the next write, which tells.
void take_up() {
    if (!t.ours_on && in_foreground() && tcsetattr(t.fd, TCSANOW, &t.ours) == 0) {
        t.ours_on = 1;
        if (write(t.screen_fd, "\x1b[?2004h", 8) < 0) {}
    }
}

void put_back() {
    if (t.ours_on && in_foreground()) {
        if (write(t.screen_fd, "\x1b[?2004l", 8) < 0) {}
        tcsetattr(t.fd, TCSANOW, &t.found);
    }
    t.ours_on = 0;
}

// Once the terminal is put back, a stop stops and an end ends, as without the handler.
void on_signal(int signal_number) {
    const int saved_errno = errno;
    if (signal_number == SIGCONT) {
        take_up();
    } else {
        // What the terminal holds is the program's: kept over a stop, dropped by Ctrl-C and Ctrl-\ as in its own mode.
        int unread = 0;
        while (signal_number == SIGTSTP && t.ours_on && ioctl(t.fd, FIONREAD, &unread) == 0 && unread > 0) {
            const ssize_t n = read(t.fd, t.keys + t.keys_length, least(unread, keys_capacity - t.keys_length));
            if (n <= 0) break;
            t.keys_length += static_cast<std::size_t>(n);
        }
        if ((signal_number == SIGINT || signal_number == SIGQUIT) && t.ours_on) tcflush(t.fd, TCIFLUSH);
        put_back();
        signal(signal_number, SIG_DFL);
        sigset_t just_this;
        sigemptyset(&just_this);
        sigaddset(&just_this, signal_number);
        sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
        raise(signal_number);
        sigaction(signal_number, &t.handler, nullptr);
        t.stopped = 1;
    }
    if (write(t.notes[1], "", 1) < 0) {} // a full pipe wakes the wait as well
    errno = saved_errno;
}

// Behind a pipe its reader (tee) shows the question: what is drawn after it waits for that, 0.1 s at most.
void wait_for_reader(output_buffer& out) {
    int unread = 0;
    if (!t.through_pipe || !flush_output(out)) return;
    for (int waits = 0; waits < 100 && ioctl(out.fd, FIONREAD, &unread) == 0 && unread > 0; ++waits)
        poll(nullptr, 0, 1);
    poll(nullptr, 0, 2); // and the reader's write
}

void draw(bool fresh) {
    const std::string_view text = t.at_question ? std::string_view(t.editor.text, t.editor.length) : "";
    winsize size = {};
    const int width = ioctl(t.screen_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
    t.cursor_row =
        draw_line(*t.screen, t.prompt, text, t.at_question ? t.editor.cursor : 0, width, t.cursor_row, fresh);
    t.drawn = true;
}

// Adds to the keys what the terminal has now, never waiting.  False at the end or an error.
bool read_keys(token_reader& in) {
    const sigset_t previous = hold();
    pollfd ready = {t.fd, POLLIN, 0};
    int unread = 0;
    if (t.keys_length < keys_read_ahead && poll(&ready, 1, 0) > 0) {
        // Readable with nothing counted: a hangup, whose read ends at once.
        const std::size_t room = keys_read_ahead - t.keys_length;
        const bool counted = ioctl(t.fd, FIONREAD, &unread) == 0 && unread > 0;
        const ssize_t n = read(t.fd, t.keys + t.keys_length, counted ? least(unread, room) : room);
        if (n > 0) t.keys_length += static_cast<std::size_t>(n);
        in.at_end = n == 0;
        if (n < 0 && errno != EINTR && errno != EAGAIN) in.error = errno;
    }
    release(previous);
    return !in.at_end && in.error == 0;
}

void drop_keys(std::size_t count) {
    const sigset_t previous = hold();
    std::memmove(t.keys, t.keys + count, t.keys_length - count);
    t.keys_length -= count;
    release(previous);
}

enum class waited { readable, time_up, failed };

// Waits until the terminal has something to read, or limit_ms (-1: none) have passed, doing what job control asks.
waited wait_for_terminal(token_reader& in, int limit_ms) {
    for (;;) {
        char notes[64];
        while (read(t.notes[0], notes, sizeof notes) > 0) {}
        if (!in_foreground()) {
            // Stopped as a reader in the background is; where that signal is ignored, it looks again now and then.
            kill(0, SIGTTIN);
            pollfd note = {t.notes[0], POLLIN, 0};
            poll(&note, 1, 200);
            continue;
        }
        const sigset_t previous = hold();
        take_up();
        // Back from a stop: the line anew where the shell left the cursor, and the keys kept; SIGCONT alone: nothing.
        const bool back = t.stopped && t.ours_on;
        if (back) {
            t.stopped = 0;
            draw(true);
        }
        release(previous);
        if (back) return waited::readable;
        if (!flush_output(*t.screen)) {
            in.error = t.screen->error;
            return waited::failed;
        }
        pollfd ready[2] = {{t.fd, POLLIN, 0}, {t.notes[0], POLLIN, 0}};
        const int n = poll(ready, 2, limit_ms);
        if (n < 0 && errno != EINTR) {
            in.error = errno;
            return waited::failed;
        }
        if (n == 0 || (n > 0 && ready[0].revents != 0)) return n == 0 ? waited::time_up : waited::readable;
    }
}

// The reader's source at a question: the editor takes keys until a line is finished, drawn only before a wait.
input_status read_line(token_reader& in, output_buffer& out) {
    t.prompt = shown(in.prompt);
    t.at_question = true;
    t.drawn = false;
    t.cursor_row = 0;
    for (bool overdue = false;;) {
        std::size_t used = 0;
        const edited e = take_keys(t.editor, std::string_view(t.keys, t.keys_length), overdue, &used);
        drop_keys(used);
        if (e != edited::more) {
            t.at_question = false;
            if (t.drawn) draw(false); // cleared: show_answer shows what the dialogue took of it
            t.burst = t.editor.in_paste || t.keys_length > 0;
            if (e == edited::end) {
                in.at_end = true;
                return input_status::ended;
            }
            std::memcpy(in.data + in.end, t.editor.text, t.editor.done);
            in.end += t.editor.done;
            in.data[in.end++] = '\n';
            next_line(t.editor);
            return input_status::ok;
        }
        if (t.drawn || t.editor.length > 0) {
            wait_for_reader(out);
            draw(false);
        }
        // The rest of a key is waited for a while, of a paste's closing marker as long as it takes.
        const waited w = wait_for_terminal(in, t.keys_length > 0 && !t.editor.in_paste ? key_rest_ms : -1);
        overdue = w == waited::time_up;
        if (w == waited::failed || (w == waited::readable && !read_keys(in))) {
            t.at_question = false;
            return in.error != 0 ? input_status::failed : input_status::ended;
        }
    }
}

} // namespace

void open_terminal(token_reader& in, output_buffer& out) {
    struct stat input = {};
    struct stat output = {};
    if (!in.from_terminal || tcgetattr(in.fd, &t.found) != 0 || fstat(in.fd, &input) != 0 ||
        fstat(out.fd, &output) != 0)
        return;
    if (is_terminal(out.fd) && input.st_rdev == output.st_rdev) {
        t.screen_fd = out.fd;
        t.screen = &out;
    } else if (const char* name = ttyname(in.fd)) {
        // Output goes elsewhere (a file, tee): the line is shown on the terminal itself, and none of it in the file.
        t.screen_fd = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
        init_output(t.own_screen, t.screen_fd);
        t.screen = &t.own_screen;
        t.through_pipe = S_ISFIFO(output.st_mode) || S_ISSOCK(output.st_mode);
    }
    // Nowhere to show the line: the terminal's own line mode stays.
    if (t.screen_fd < 0 || pipe(t.notes) != 0) return;
    for (const int fd : t.notes) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    t.fd = in.fd;
    t.ours = t.found;
    t.ours.c_lflag = (t.ours.c_lflag & static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN))) | NOFLSH;
    t.ours.c_cc[VMIN] = 1;
    t.ours.c_cc[VTIME] = 0;
    const auto key = [](cc_t c) { return c == _POSIX_VDISABLE ? -1 : static_cast<int>(c); };
    init_editor(t.editor, {key(t.found.c_cc[VERASE]), key(t.found.c_cc[VKILL]), key(t.found.c_cc[VWERASE]),
                           key(t.found.c_cc[VEOF])});
    sigemptyset(&t.held);
    for (const int s : handled_signals) sigaddset(&t.held, s);
    sigaddset(&t.held, SIGTTOU);
    t.handler.sa_handler = on_signal;
    t.handler.sa_mask = t.held;
    const sigset_t previous = hold();
    for (int i = 0; i < handled_count; ++i) {
        sigaction(handled_signals[i], nullptr, &t.previous[i]);
        if (t.previous[i].sa_handler != SIG_IGN) sigaction(handled_signals[i], &t.handler, nullptr);
    }
    take_up();
    release(previous);
    in.source = read_line;
}

void close_terminal(token_reader& in, output_buffer&) {
    if (t.fd >= 0) {
        const sigset_t previous = hold();
        put_back();
        for (int i = 0; i < handled_count; ++i) sigaction(handled_signals[i], &t.previous[i], nullptr);
        release(previous);
        for (const int fd : t.notes) close(fd);
    }
    if (t.screen == &t.own_screen) {
        flush_output(t.own_screen);
        close(t.screen_fd);
    }
    t.fd = t.screen_fd = -1;
    t.screen = nullptr;
    in.source = nullptr;
}

void show_answer(token_reader& in, output_buffer& out) {
    std::size_t from = in.shown < in.next ? in.shown : in.next;
    std::size_t to = in.next;
    while (from < to && is_space(in.data[from])) ++from;
    while (to > from && is_space(in.data[to - 1])) --to;
    in.shown = in.next;
    if (!t.burst) wait_for_reader(out); // lines in a burst are not held up one by one
    if (t.stopped) {
        // Stopped since the question was written: the shell wrote since.
        t.stopped = 0;
        put_text(*t.screen, "\r");
        put_shown(*t.screen, shown(in.prompt));
    }
    put_shown(*t.screen, std::string_view(in.data + from, to - from));
    put_text(*t.screen, "\n");
    if (t.screen != &out) flush_output(*t.screen);
}

void wait_for_key_press(token_reader& in, output_buffer& out) {
    if (t.fd < 0) {
        flush_output(out); // the terminal's own line mode: no key can be had alone
        return;
    }
    t.prompt = shown(in.prompt);
    t.at_question = false;
    t.cursor_row = 0;
    bool& paste = t.editor.in_paste;
    // Keys there before the prompt shows were typed ahead.
    const bool typed_ahead = !read_keys(in) || keys_answer(std::string_view(t.keys, t.keys_length), &paste);
    if (!flush_output(out) || typed_ahead) return;
    drop_keys(t.keys_length);
    for (bool overdue = false;;) {
        const pause_verdict v =
            judge_terminal_bytes(std::string_view(t.keys, t.keys_length), t.editor.keys.end_of_input, overdue, paste);
        if (v.kind == arrived_as::more_than_a_key) return;
        drop_keys(v.count);
        if (v.kind == arrived_as::blank) {
            paste = false; // the end of a paste, no key
            continue;
        }
        if (v.kind != arrived_as::nothing_yet) {
            in.at_end = v.kind == arrived_as::end_of_input;
            return;
        }
        const waited w = wait_for_terminal(in, paste || t.keys_length == 0 ? -1 : key_rest_ms);
        overdue = w == waited::time_up;
        if (w == waited::failed || (w == waited::readable && !read_keys(in)))
            return; // the next question meets the end or the error
    }
}
