#include "console/terminal.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/pause_keys.h"
#include "console/stream_io.h"

// The quiet mode is the terminal without line mode and without echo, and,
// where the program can write to the terminal, with pastes marked
// (bracketed-paste mode).  The pause takes it up; one key, or the end of
// the input, ends it with the pause, and a paste ends it once the paste is
// over: its closing marker read and the reader needing more, or, unmarked,
// a pause in what comes of key_rest_ms.
//
// The signal handlers put the terminal back themselves before a stop or an
// end, so that Ctrl-C, a kill or Ctrl-Z act at once, even while the
// program writes a report; the program changes the mode only with them
// held off, so that none comes between.  Each handler also writes a byte
// to a pipe, which wakes a wait: coming back from a stop, or from the
// background, the line that waits for an answer is shown again.  While the
// program is stopped or in the background the terminal is the shell's, as
// the shell left it, and is not touched.  Only signals that were not
// ignored at the start (nohup) are handled.

namespace {

constexpr int handled_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, SIGCONT};
constexpr int handled_count = static_cast<int>(sizeof handled_signals / sizeof handled_signals[0]);

constexpr std::string_view marking_on = "\x1b[?2004h";
constexpr std::string_view marking_off = "\x1b[?2004l";

// Everything the program knows of the terminal.  The handlers read it
// too: the program changes it with them held off.
struct terminal_state {
    int fd = -1;     // standard input
    int screen = -1; // the terminal for writing: standard output, or one opened here
    bool opened_screen = false;
    int notes[2] = {-1, -1}; // the handlers' wake-up calls
    termios found = {};      // the terminal as the quiet mode found it
    int end_of_input_key = -1;
    volatile sig_atomic_t quiet_wanted = 0; // the pause, or a paste after it
    volatile sig_atomic_t quiet_on = 0;     // and the terminal is in the quiet mode now
    volatile sig_atomic_t marking = 0;      // pastes are asked to be marked
    volatile sig_atomic_t away = 0;         // stopped or continued since the line was shown
    volatile sig_atomic_t stopped = 0;      // stopped since the last wait
    bool handling[handled_count] = {};
    struct sigaction previous[handled_count] = {};
};

terminal_state t;

bool in_foreground()
{
    // Where standard input is not the controlling terminal, no job
    // control applies to it, and the program is always in the foreground.
    const pid_t group = tcgetpgrp(t.fd);
    return group < 0 || group == getpgrp();
}

bool readable_now(int fd)
{
    pollfd ready = {fd, POLLIN, 0};
    return poll(&ready, 1, 0) > 0;
}

void hold_signals(sigset_t* previous)
{
    sigset_t held;
    sigemptyset(&held);
    for (const int s : handled_signals)
        sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, previous);
}

void release_signals(const sigset_t* previous)
{
    sigprocmask(SIG_SETMASK, previous, nullptr);
}

void write_to_screen(std::string_view text)
{
    int ignored = 0;
    // A screen that fails now fails again at the next question, which
    // reports it.
    if (t.screen >= 0)
        static_cast<void>(write_all(t.screen, text.data(), text.size(), &ignored));
}

// Puts the terminal back as it was found, if the quiet mode is on and the
// terminal is still the program's.  Safe in a signal handler.
void put_back()
{
    if (!t.quiet_on)
        return;
    t.quiet_on = 0;
    if (!in_foreground())
        return;
    sigset_t no_ttou;
    sigset_t previous;
    sigemptyset(&no_ttou);
    sigaddset(&no_ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &no_ttou, &previous);
    if (t.marking && write(t.screen, marking_off.data(), marking_off.size()) < 0) {
        // Nothing more can be done.
    }
    t.marking = 0;
    tcsetattr(t.fd, TCSANOW, &t.found);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// A stop stops and an end ends, as without the handler, once the terminal
// is put back; back from a stop, the wait shows its line again.
void on_signal(int signal_number)
{
    const int saved_errno = errno;
    if (signal_number != SIGCONT) {
        put_back();
        struct sigaction plain = {};
        struct sigaction ours = {};
        plain.sa_handler = SIG_DFL;
        sigemptyset(&plain.sa_mask);
        sigaction(signal_number, &plain, &ours);
        sigset_t just_this;
        sigemptyset(&just_this);
        sigaddset(&just_this, signal_number);
        sigprocmask(SIG_UNBLOCK, &just_this, nullptr);
        raise(signal_number);
        sigaction(signal_number, &ours, nullptr);
        t.stopped = 1;
    }
    t.away = 1;
    const char note = 1;
    if (write(t.notes[1], &note, 1) < 0) {
        // A full pipe wakes the wait as well.
    }
    errno = saved_errno;
}

bool take_up_quiet(token_reader& in)
{
    sigset_t previous;
    hold_signals(&previous);
    termios quiet = {};
    bool ok = tcgetattr(t.fd, &quiet) == 0;
    if (ok) {
        t.found = quiet;
        quiet.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        quiet.c_cc[VMIN] = 1;
        quiet.c_cc[VTIME] = 0;
        t.end_of_input_key =
            t.found.c_cc[VEOF] == _POSIX_VDISABLE ? -1 : static_cast<unsigned char>(t.found.c_cc[VEOF]);
        t.quiet_on = 1;
        ok = tcsetattr(t.fd, TCSANOW, &quiet) == 0;
        t.quiet_on = ok;
    }
    if (!ok)
        t.quiet_wanted = 0;
    in.line_mode = !ok;
    release_signals(&previous);
    return ok;
}

void leave_quiet(token_reader& in, output_buffer& out)
{
    sigset_t previous;
    hold_signals(&previous);
    put_back();
    t.quiet_wanted = 0;
    release_signals(&previous);
    // A key that came between the last read and the mode's end was not
    // echoed; back in line mode the terminal hands it over at once, its
    // line still to be finished.
    if (readable_now(t.fd))
        read_terminal(in, out, false);
    in.line_mode = true;
}

// In the background the terminal is the shell's.  The program stops as
// one that reads the terminal from the background is stopped (SIGTTIN),
// until fg continues it in the foreground; where that signal is ignored,
// or nobody could continue the program, it looks again now and then.
void wait_in_background()
{
    kill(0, SIGTTIN);
    pollfd note = {t.notes[0], POLLIN, 0};
    poll(&note, 1, 200);
}

// The line that waits for an answer, shown again on a line of its own.
void show_again(output_buffer& out)
{
    char again[1 + sizeof out.line_so_far] = {'\n'};
    for (std::size_t i = 0; i < out.line_so_far_length; ++i)
        again[1 + i] = out.line_so_far[i];
    write_to_screen(std::string_view(again, 1 + out.line_so_far_length));
}

enum class waited { readable, time_up, failed };

// Waits until the terminal has something to read, or limit_ms (-1: no
// limit) have passed, doing meanwhile what job control asks.
waited wait_until_readable(token_reader& in, output_buffer& out, int limit_ms)
{
    for (;;) {
        char notes[64];
        while (read(t.notes[0], notes, sizeof notes) > 0) {
        }
        if (!in_foreground()) {
            wait_in_background();
            continue;
        }
        // With the handlers held off, so that what is shown stays in order;
        // a signal that comes meanwhile wakes the poll below at once.
        sigset_t previous;
        hold_signals(&previous);
        if (t.quiet_wanted && !t.quiet_on)
            take_up_quiet(in);
        if (t.quiet_on && !t.marking && t.screen >= 0) {
            // Only now that it waits: a key that comes once the pause is
            // seen to wait is no longer typed ahead.
            t.marking = 1;
            write_to_screen(marking_on);
        }
        if (t.away) {
            t.away = 0;
            show_again(out);
        }
        // On Ctrl-Z the terminal drops what it holds, the rest of a paste
        // with its closing marker: none is coming now.
        if (t.stopped) {
            t.stopped = 0;
            in.paste_open = false;
        }
        release_signals(&previous);
        pollfd ready[2] = {{t.fd, POLLIN, 0}, {t.notes[0], POLLIN, 0}};
        const int n = poll(ready, 2, limit_ms);
        if (n < 0 && errno != EINTR) {
            in.error = errno;
            return waited::failed;
        }
        if (n == 0)
            return waited::time_up;
        if (n > 0 && ready[0].revents != 0)
            return waited::readable;
    }
}

// The reader's wait, at a question.
arrival wait_for_terminal(token_reader& in, output_buffer& out)
{
    for (;;) {
        const int limit = t.quiet_wanted && !in.paste_open ? key_rest_ms : -1;
        const waited w = wait_until_readable(in, out, limit);
        if (w == waited::failed)
            return arrival::stopped;
        if (w == waited::readable)
            return read_terminal(in, out, !t.quiet_wanted);
        // The paste is over.
        const std::size_t had = in.end - in.next;
        leave_quiet(in, out);
        if (in.at_end || in.error != 0)
            return arrival::stopped;
        if (in.end - in.next > had)
            return arrival::some;
    }
}

} // namespace

void open_terminal(token_reader& in, const output_buffer& out)
{
    if (!in.from_terminal)
        return;
    t.fd = in.fd;
    struct stat input = {};
    struct stat output = {};
    if (is_terminal(out.fd) && fstat(in.fd, &input) == 0 && fstat(out.fd, &output) == 0 &&
        input.st_rdev == output.st_rdev) {
        t.screen = out.fd;
    } else if (const char* name = ttyname(in.fd)) {
        // Standard output goes elsewhere (a file, tee): what the person must
        // see goes to the terminal itself, and nothing of it to the file.
        t.screen = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
        t.opened_screen = t.screen >= 0;
    }
    if (pipe(t.notes) == 0) {
        for (const int fd : t.notes) {
            fcntl(fd, F_SETFD, FD_CLOEXEC);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        }
    }
    struct sigaction action = {};
    action.sa_handler = on_signal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int s : handled_signals)
        sigaddset(&action.sa_mask, s);
    for (int i = 0; i < handled_count; ++i) {
        sigaction(handled_signals[i], nullptr, &t.previous[i]);
        t.handling[i] = t.previous[i].sa_handler != SIG_IGN;
        if (t.handling[i])
            sigaction(handled_signals[i], &action, nullptr);
    }
    in.wait = wait_for_terminal;
    in.screen = t.screen;
}

void close_terminal(token_reader& in, output_buffer&)
{
    if (t.fd < 0)
        return;
    sigset_t previous;
    hold_signals(&previous);
    put_back();
    t.quiet_wanted = 0;
    for (int i = 0; i < handled_count; ++i) {
        if (t.handling[i])
            sigaction(handled_signals[i], &t.previous[i], nullptr);
    }
    release_signals(&previous);
    for (int& fd : t.notes) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    if (t.opened_screen)
        close(t.screen);
    t.fd = -1;
    t.screen = -1;
    t.opened_screen = false;
    in.wait = nullptr;
    in.screen = -1;
}

void wait_for_key_press(token_reader& in, output_buffer& out)
{
    if (!t.quiet_wanted) {
        while (!in_foreground())
            wait_in_background();
        // The lines that the terminal has completed were typed for the
        // next questions, and so was an end of input (Ctrl-D): taken in
        // while the terminal is still in line mode, where they are whole.
        while (readable_now(in.fd) && read_terminal(in, out, true) == arrival::some) {
        }
        if (typed_ahead_ends_pause(in))
            return;
        t.quiet_wanted = 1;
        if (!take_up_quiet(in))
            return;
        // Part of a line typed ahead shows only now, out of line mode; the
        // terminal has echoed it.
        if (readable_now(in.fd))
            read_terminal(in, out, true);
        if (typed_ahead_ends_pause(in)) {
            leave_quiet(in, out);
            return;
        }
    }
    for (;;) {
        // The rest of a key that has come in part is waited for a while.
        const waited w = wait_until_readable(in, out, unread_input(in).empty() ? -1 : key_rest_ms);
        if (w == waited::failed)
            break;
        if (w == waited::readable && read_terminal(in, out, false) == arrival::stopped)
            break; // the next question meets the end or the error
        pause_verdict v = {arrived_as::blank, 0};
        while (v.kind == arrived_as::blank) {
            v = judge_terminal_bytes(unread_input(in), t.end_of_input_key, w == waited::time_up);
            if (v.kind == arrived_as::blank)
                drop_input(in, v.count);
        }
        if (v.kind == arrived_as::more_than_a_key)
            return; // a paste, which goes on in the quiet mode
        if (v.kind == arrived_as::nothing_yet)
            continue;
        drop_input(in, v.count);
        if (v.kind == arrived_as::end_of_input)
            end_input(in);
        break;
    }
    leave_quiet(in, out);
}
