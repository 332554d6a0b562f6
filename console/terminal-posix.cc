#include "console/pause.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "console/dialogue_texts.h"
#include "console/pause_keys.h"
#include "console/stream_io.h"

// The pause puts the terminal in non-canonical mode without echo, so that
// one key does, with no Enter, and nothing shows; and, where the screen is
// that terminal, asks it to mark pastes (bracketed-paste mode).  That mode
// is on only while the pause waits in the foreground.  It is taken off
// however the pause ends, and before the program stops (Ctrl-Z); while the
// program is stopped or in the background the terminal is the shell's, as
// the shell left it, and is not touched.
//
// Signals that end or stop the program meanwhile only leave a note, in a
// pipe; the loop below reads the notes and acts on them, in one place, so
// that no handler races the loop over the terminal.  The handlers are in
// place only during the pause, and only for signals that were not ignored
// to begin with (nohup).

namespace {

constexpr int handled_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};
constexpr int handled_count = static_cast<int>(sizeof handled_signals / sizeof handled_signals[0]);

constexpr std::string_view marking_on = "\x1b[?2004h";
constexpr std::string_view marking_off = "\x1b[?2004l";

// The write end of the notes pipe: all that the handlers share with the
// loop.
volatile sig_atomic_t note_fd = -1;

void note_signal(int signal_number)
{
    const int saved_errno = errno;
    const auto note = static_cast<unsigned char>(signal_number);
    if (write(note_fd, &note, 1) < 0) {
        // A full pipe holds notes enough for the loop to act on.
    }
    errno = saved_errno;
}

// Everything the pause knows while it waits.
struct pause_state {
    int terminal;      // standard input
    int screen;        // standard output
    bool marks_pastes; // the screen is that same terminal
    bool marking;      // and has been asked to mark pastes
    termios found;     // the terminal as the pause found it (again, after a stop)
    termios waiting;   // the pause's mode
    bool in_mode;      // the pause's mode is on
    bool away;         // stopped or in the background since the mode was last on
    bool typed_ahead_taken;
    int notes[2]; // the pipe the handlers note signals in
    struct sigaction previous[handled_count];
    int end_of_input_key;
};

bool in_foreground(const pause_state& p)
{
    // Where standard input is not the controlling terminal, no job
    // control applies to it, and the pause is always in the foreground.
    const pid_t group = tcgetpgrp(p.terminal);
    return group < 0 || group == getpgrp();
}

bool same_terminal(int a, int b)
{
    struct stat sa = {};
    struct stat sb = {};
    return is_terminal(b) && fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_rdev == sb.st_rdev;
}

bool readable_now(int fd)
{
    pollfd ready = {fd, POLLIN, 0};
    return poll(&ready, 1, 0) > 0;
}

void show(const pause_state& p, std::string_view text)
{
    int ignored = 0;
    // A screen that fails now fails again at the next question, which
    // reports it.
    static_cast<void>(write_all(p.screen, text.data(), text.size(), &ignored));
}

// Takes up the pause's mode in the foreground, from the terminal as it is
// now: after a stop the shell may have changed it, and that is what is
// put back.
bool take_up_mode(pause_state& p)
{
    termios now = {};
    if (tcgetattr(p.terminal, &now) != 0)
        return false;
    if (!p.in_mode) {
        p.found = now;
        p.waiting = now;
        p.waiting.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        p.waiting.c_cc[VMIN] = 1;
        p.waiting.c_cc[VTIME] = 0;
        p.end_of_input_key = now.c_cc[VEOF] == _POSIX_VDISABLE ? -1 : static_cast<unsigned char>(now.c_cc[VEOF]);
    }
    if (tcsetattr(p.terminal, TCSANOW, &p.waiting) != 0)
        return false;
    p.in_mode = true;
    return true;
}

// The pause waits: pastes are to be marked, and, coming back from a stop
// or the background, the prompt is shown again on a fresh line.
void show_waiting(pause_state& p)
{
    if (p.marks_pastes) {
        show(p, marking_on);
        p.marking = true;
    }
    if (p.away) {
        char again[1 + texts::pause_prompt.size()] = {'\n'};
        std::memcpy(again + 1, texts::pause_prompt.data(), texts::pause_prompt.size());
        show(p, std::string_view(again, sizeof again));
    }
    p.away = false;
}

// Puts the terminal back as it was found, if the pause's mode is on and
// the terminal is still the program's: in the background it is the
// shell's.  SIGTTOU is held off, so that no stop can come between.
void leave_mode(pause_state& p)
{
    if (!p.in_mode)
        return;
    p.in_mode = false;
    if (!in_foreground(p))
        return;
    sigset_t held;
    sigset_t previous_mask;
    sigemptyset(&held);
    sigaddset(&held, SIGTTOU);
    sigprocmask(SIG_BLOCK, &held, &previous_mask);
    if (p.marking)
        show(p, marking_off);
    p.marking = false;
    tcsetattr(p.terminal, TCSANOW, &p.found);
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
}

bool open_notes(pause_state& p)
{
    if (pipe(p.notes) != 0)
        return false;
    for (const int fd : p.notes) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    note_fd = p.notes[1];
    return true;
}

void install_handlers(pause_state& p)
{
    struct sigaction action = {};
    action.sa_handler = note_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: the wait sees every signal.
    for (int i = 0; i < handled_count; ++i) {
        sigaction(handled_signals[i], nullptr, &p.previous[i]);
        if (p.previous[i].sa_handler != SIG_IGN)
            sigaction(handled_signals[i], &action, nullptr);
    }
}

// Stops the program as Ctrl-Z does, and returns once it is continued.
// Only this program: Ctrl-Z has stopped the rest of its job already.
void stop_here(pause_state& p)
{
    struct sigaction handling = {};
    struct sigaction stop = {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, &handling);
    raise(SIGTSTP);
    sigaction(SIGTSTP, &handling, nullptr);
    p.away = true;
}

// Puts back what the pause changed and ends the program by signal_number,
// as that signal ends a program, so that a shell sees the usual status.
void end_by(pause_state& p, int signal_number);

// Acts on the signals noted since the last look.
void act_on_notes(pause_state& p)
{
    unsigned char notes[64];
    ssize_t n;
    while ((n = read(p.notes[0], notes, sizeof notes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            const int signal_number = notes[i];
            if (signal_number == SIGCONT) {
                // Continued: from a stop of whatever kind, or for nothing.
                // The terminal may have been the shell's meanwhile.
                p.away = true;
            } else if (signal_number == SIGTSTP) {
                leave_mode(p);
                stop_here(p);
            } else {
                end_by(p, signal_number);
            }
        }
    }
}

// Puts the handlers back.  A signal that came too late for the loop is
// raised again, to come, blocked till then, once the program's own
// handling of it is back: a stop stops, an end ends.
void put_back_handlers(pause_state& p)
{
    sigset_t held;
    sigset_t previous_mask;
    sigemptyset(&held);
    for (const int s : handled_signals)
        sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &previous_mask);
    for (int i = 0; i < handled_count; ++i)
        sigaction(handled_signals[i], &p.previous[i], nullptr);
    unsigned char notes[64];
    ssize_t n;
    while ((n = read(p.notes[0], notes, sizeof notes)) > 0) {
        for (ssize_t i = 0; i < n; ++i) {
            if (notes[i] != SIGCONT)
                raise(notes[i]);
        }
    }
    note_fd = -1;
    close(p.notes[0]);
    close(p.notes[1]);
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
}

void end_by(pause_state& p, int signal_number)
{
    leave_mode(p);
    put_back_handlers(p);
    struct sigaction ending = {};
    ending.sa_handler = SIG_DFL;
    sigemptyset(&ending.sa_mask);
    sigaction(signal_number, &ending, nullptr);
    raise(signal_number);
    // Not ended (a signal that only stops, say): there is no pause left.
    _exit(128 + signal_number);
}

// In the background the terminal is the shell's.  The pause stops as a
// program that reads the terminal from the background is stopped
// (SIGTTIN), until fg continues it in the foreground; where that signal is
// ignored, or nobody could continue the program, it looks again now and
// then.
void wait_in_background(pause_state& p)
{
    kill(0, SIGTTIN);
    pollfd note = {p.notes[0], POLLIN, 0};
    poll(&note, 1, 200);
}

enum class waited { ended, interrupted };

// Reads what arrives in the pause's mode into the reader, until it holds
// one key press, which it takes, or more, which it leaves; or until a
// signal is noted, which the caller acts on first.
waited wait_in_mode(pause_state& p, token_reader& in)
{
    for (;;) {
        // The rest of a key that has come in part is waited for a while.
        const bool key_begun = !unread_input(in).empty();
        pollfd ready[2] = {{p.terminal, POLLIN, 0}, {p.notes[0], POLLIN, 0}};
        const int n = poll(ready, 2, key_begun ? key_rest_ms : -1);
        if (n < 0 && errno != EINTR)
            return waited::ended;
        if (n < 0 || (ready[1].revents & POLLIN) != 0)
            return waited::interrupted;
        if (n > 0 && read_waiting_input(in, false) == arrival::stopped)
            return waited::ended; // the next question meets the end or the error
        for (;;) {
            const pause_verdict v = judge_terminal_bytes(unread_input(in), p.end_of_input_key, n == 0);
            switch (v.kind) {
            case arrived_as::nothing_yet:
                break;
            case arrived_as::blank:
                drop_input(in, v.count);
                continue;
            case arrived_as::one_key:
                drop_input(in, v.count);
                return waited::ended;
            case arrived_as::end_of_input:
                drop_input(in, v.count);
                end_input(in);
                return waited::ended;
            case arrived_as::more_than_a_key:
                return waited::ended;
            }
            break;
        }
    }
}

} // namespace

void wait_for_key_press(token_reader& in, const output_buffer& out)
{
    pause_state p = {};
    p.terminal = in.fd;
    p.screen = out.fd;
    p.marks_pastes = same_terminal(in.fd, out.fd);
    if (!is_terminal(in.fd) || !open_notes(p))
        return;
    install_handlers(p);
    bool done = false;
    while (!done) {
        act_on_notes(p);
        if (!in_foreground(p)) {
            p.in_mode = false; // if it was on, the shell has the terminal now
            p.marking = false;
            p.away = true;
            wait_in_background(p);
            continue;
        }
        if (!p.typed_ahead_taken) {
            // The lines that the terminal has completed were typed for the
            // next questions, and so was an end of input (Ctrl-D): taken in
            // while the terminal is still canonical, where they are whole.
            while (readable_now(in.fd) && read_waiting_input(in, true) == arrival::some) {
            }
            if (typed_ahead_ends_pause(in))
                break;
        }
        if (!p.in_mode || p.away) {
            if (!take_up_mode(p))
                break;
            if (!p.typed_ahead_taken) {
                // Part of a line typed ahead shows only now, out of
                // canonical mode; the terminal has echoed it.  Keys come
                // only once the pause is seen to wait.
                p.typed_ahead_taken = true;
                if (readable_now(in.fd))
                    read_waiting_input(in, true);
                if (typed_ahead_ends_pause(in))
                    break;
            }
            show_waiting(p);
        }
        done = wait_in_mode(p, in) == waited::ended;
    }
    leave_mode(p);
    // A key that came between the last read and the mode's end was not
    // echoed; back in canonical mode the terminal hands it over at once.
    if (readable_now(in.fd))
        read_waiting_input(in, false);
    put_back_handlers(p);
}
