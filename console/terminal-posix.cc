#include "console/terminal.h"

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

// While the program runs at a terminal, the terminal is in the program's
// mode: no line mode and no echo, so that every key comes to the program
// at once and nothing shows but what the program draws; pastes marked
// (bracketed-paste mode); the keyboard's signals on; and its input kept
// on Ctrl-Z (NOFLSH), which the program reads out before it stops, so
// that none of a paste is lost, nor read by the shell as commands.  Keys
// typed while a report is written wait unseen until the next question
// takes them.
//
// The signal handlers put the terminal back themselves before a stop or an
// end, so that Ctrl-C, a kill or Ctrl-Z act at once, even while a report is
// written, and take it up again on SIGCONT; the program changes the mode
// and reads the terminal only with them held off, so that none comes
// between.  Each handler also writes a byte to a pipe, which wakes a wait:
// back from a stop, the line that waits for an answer is drawn again.
// While the program is stopped or in the background the terminal is the
// shell's, as the shell left it, and is not touched.  Only signals that
// were not ignored at the start (nohup) are handled.

namespace {

constexpr int handled_signals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGPIPE, SIGTSTP, SIGCONT};
constexpr int handled_count = static_cast<int>(sizeof handled_signals / sizeof handled_signals[0]);

constexpr std::string_view marking_on = "\x1b[?2004h";
constexpr std::string_view marking_off = "\x1b[?2004l";

constexpr std::size_t keys_capacity = 16384;

struct terminal_state {
    // Shared with the signal handlers.
    int fd = -1;             // the terminal typed at: standard input
    int screen_fd = -1;      // the terminal written to
    int notes[2] = {-1, -1}; // the handlers' wake-up calls
    termios found = {};      // the terminal as the program found it
    termios ours = {};
    volatile sig_atomic_t ours_on = 0; // the terminal is in the program's mode now
    volatile sig_atomic_t stopped = 0; // stopped since the line was drawn
    volatile sig_atomic_t kept = 0;    // bytes in keep
    char keep[4096];                   // what the terminal held when it was stopped
    bool handling[handled_count] = {};
    struct sigaction previous[handled_count] = {};
    // The program's alone.
    output_buffer* screen = nullptr; // out, where that is the terminal, or own_screen
    bool prompts_shown = false;      // the screen shows the questions: out is the terminal, or a pipe to tee
    bool through_pipe = false;       // ... through a pipe, whose reader shows them
    std::string_view prompt;         // the prompt on the screen, as shown
    bool at_question = false;        // the line being edited stands after it
    bool drawn = false;              // and it is drawn, cursor_row rows below the prompt's row
    bool burst = false;              // the last line came with more behind it, or pasted
    int cursor_row = 0;
    std::size_t keys_length = 0;
    char keys[keys_capacity]; // read from the terminal, not yet taken
    line_editor editor;
    output_buffer own_screen;
};

terminal_state t;

bool in_foreground()
{
    // Where standard input is not the controlling terminal, no job
    // control applies to it, and the program is always in the foreground.
    const pid_t group = tcgetpgrp(t.fd);
    return group < 0 || group == getpgrp();
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

void write_mode(std::string_view switch_sequence)
{
    // A screen that fails now fails again at the next write, which tells.
    if (write(t.screen_fd, switch_sequence.data(), switch_sequence.size()) < 0) {
    }
}

// The program's mode, if the terminal is the program's.  Safe in a signal
// handler, as is put_back.
void take_up()
{
    if (t.ours_on || !in_foreground() || tcsetattr(t.fd, TCSANOW, &t.ours) != 0)
        return;
    t.ours_on = 1;
    write_mode(marking_on);
}

// The terminal as it was found.
void put_back()
{
    if (!t.ours_on)
        return;
    t.ours_on = 0;
    if (!in_foreground())
        return;
    sigset_t no_ttou;
    sigset_t previous;
    sigemptyset(&no_ttou);
    sigaddset(&no_ttou, SIGTTOU);
    sigprocmask(SIG_BLOCK, &no_ttou, &previous);
    write_mode(marking_off);
    tcsetattr(t.fd, TCSANOW, &t.found);
    sigprocmask(SIG_SETMASK, &previous, nullptr);
}

// Before a stop: what the terminal holds unread is the program's input,
// typed or pasted, and not the shell's; kept until the program goes on.
void keep_what_is_unread()
{
    int unread = 0;
    while (ioctl(t.fd, FIONREAD, &unread) == 0 && unread > 0 && t.kept < static_cast<int>(sizeof t.keep)) {
        const std::size_t room = sizeof t.keep - static_cast<std::size_t>(t.kept);
        const auto wanted = static_cast<std::size_t>(unread);
        const ssize_t n = read(t.fd, t.keep + t.kept, wanted < room ? wanted : room);
        if (n <= 0)
            break;
        t.kept = t.kept + static_cast<int>(n);
    }
}

// A stop stops and an end ends, as without the handler, once the terminal
// is put back; SIGCONT takes it up again.
void on_signal(int signal_number)
{
    const int saved_errno = errno;
    if (signal_number == SIGCONT) {
        take_up();
    } else {
        if (signal_number == SIGTSTP && t.ours_on)
            keep_what_is_unread();
        // Ctrl-C and Ctrl-\ drop what was typed ahead, as they do in the
        // terminal's own mode: it is not for the shell.
        if ((signal_number == SIGINT || signal_number == SIGQUIT) && t.ours_on)
            tcflush(t.fd, TCIFLUSH);
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
    const char note = 1;
    if (write(t.notes[1], &note, 1) < 0) {
        // A full pipe wakes the wait as well.
    }
    errno = saved_errno;
}

int screen_width()
{
    winsize size = {};
    return ioctl(t.screen_fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

// Behind a pipe, a question reaches the screen through the pipe's reader
// (tee).  What is drawn after a question that the person answers waits a
// moment, a tenth of a second at most, for the reader to have shown it:
// until the reader has taken all, and a little more while it writes.  A
// paste, or lines typed ahead, are taken as fast as they come, and their
// answers drawn at once, without waiting for the reader line by line:
// their questions may show a moment later.
void wait_for_reader(output_buffer& out)
{
    if (!t.through_pipe || !flush_output(out))
        return;
    int unread = 0;
    for (int waits = 0; waits < 100 && ioctl(out.fd, FIONREAD, &unread) == 0 && unread > 0; ++waits)
        poll(nullptr, 0, 1);
    poll(nullptr, 0, 2);
}

// The prompt and, at a question, the line as it stands.
void draw(bool fresh)
{
    const line_editor& e = t.editor;
    const std::string_view text = t.at_question ? std::string_view(e.text, e.length) : std::string_view();
    t.cursor_row =
        draw_line(*t.screen, t.prompt, text, t.at_question ? e.cursor : 0, screen_width(), t.cursor_row, fresh);
    t.drawn = true;
}

// Reads what the terminal has now, and what it held at a stop before it,
// behind the keys not yet taken.  Returns false at the end of the input
// or on a read error.
bool read_keys(token_reader& in)
{
    sigset_t previous;
    hold_signals(&previous);
    const std::size_t kept = static_cast<std::size_t>(t.kept);
    const std::size_t moved = kept < keys_capacity - t.keys_length ? kept : keys_capacity - t.keys_length;
    std::memcpy(t.keys + t.keys_length, t.keep, moved);
    std::memmove(t.keep, t.keep + moved, kept - moved);
    t.kept = static_cast<int>(kept - moved);
    t.keys_length += moved;
    pollfd ready = {t.fd, POLLIN, 0};
    int unread = 0;
    long n = 0;
    if (t.keys_length < keys_capacity && poll(&ready, 1, 0) > 0) {
        // Only what is there: a read never waits here, with the handlers
        // held off.  Readable with nothing to read is the end (a hangup).
        const std::size_t room = keys_capacity - t.keys_length;
        const bool counted = ioctl(t.fd, FIONREAD, &unread) == 0 && unread > 0;
        const auto wanted = static_cast<std::size_t>(unread);
        n = read(t.fd, t.keys + t.keys_length, counted && wanted < room ? wanted : room);
        if (n > 0)
            t.keys_length += static_cast<std::size_t>(n);
        else if (n == 0)
            in.at_end = true;
        else if (errno != EINTR && errno != EAGAIN)
            in.error = errno;
    }
    release_signals(&previous);
    return !in.at_end && in.error == 0;
}

void drop_keys(std::size_t count)
{
    std::memmove(t.keys, t.keys + count, t.keys_length - count);
    t.keys_length -= count;
}

// In the background the terminal is the shell's.  The program stops as one
// that reads the terminal from the background is stopped (SIGTTIN), until
// fg continues it in the foreground; where that signal is ignored, it
// looks again now and then.
void wait_in_background()
{
    kill(0, SIGTTIN);
    pollfd note = {t.notes[0], POLLIN, 0};
    poll(&note, 1, 200);
}

enum class waited { readable, time_up, failed };

// Waits until the terminal has something to read, or limit_ms (-1: no
// limit) have passed, doing meanwhile what job control asks.
waited wait_for_terminal(token_reader& in, int limit_ms)
{
    for (;;) {
        char notes[64];
        while (read(t.notes[0], notes, sizeof notes) > 0) {
        }
        if (!in_foreground()) {
            wait_in_background();
            continue;
        }
        sigset_t previous;
        hold_signals(&previous);
        take_up();
        // Back from a stop the line is drawn anew, on the line the shell
        // left the cursor on; SIGCONT alone changes nothing on the screen.
        if (t.stopped && t.ours_on) {
            t.stopped = 0;
            t.cursor_row = 0;
            draw(true);
        }
        const bool kept = t.kept > 0;
        release_signals(&previous);
        if (kept)
            return waited::readable;
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
        if (n == 0)
            return waited::time_up;
        if (n > 0 && ready[0].revents != 0)
            return waited::readable;
    }
}

// The reader's source at a question: the editor takes the keys, those
// typed ahead first, until a line is finished.  The line is drawn only
// when the program is about to wait for more, so that a paste costs one
// drawing of each line, by show_answer.
input_status read_line(token_reader& in, output_buffer& out)
{
    t.prompt = t.prompts_shown ? in.prompt : std::string_view();
    t.at_question = true;
    t.drawn = false;
    t.cursor_row = 0;
    bool overdue = false;
    for (;;) {
        std::size_t used = 0;
        const edited e = take_keys(t.editor, std::string_view(t.keys, t.keys_length), overdue, &used);
        drop_keys(used);
        if (e != edited::more) {
            t.at_question = false;
            if (t.drawn)
                draw(false); // the answer is shown by show_answer, once the dialogue knows what it took
            if (e == edited::end) {
                in.at_end = true;
                return input_status::ended;
            }
            t.burst = t.editor.in_paste || t.keys_length > 0;
            const std::string_view line = finished_line(t.editor);
            std::memcpy(in.data + in.end, line.data(), line.size());
            in.end += line.size();
            in.data[in.end++] = '\n';
            next_line(t.editor);
            return input_status::ok;
        }
        if (t.drawn || t.editor.length > 0) {
            wait_for_reader(out);
            draw(false);
        }
        // The rest of a key that has come in part is waited for a while;
        // in a paste, the rest of its closing marker as long as it takes.
        const bool key_in_part = t.keys_length > 0 && !t.editor.in_paste;
        const waited w = wait_for_terminal(in, key_in_part ? key_rest_ms : -1);
        overdue = w == waited::time_up;
        if (w == waited::failed || (w == waited::readable && !read_keys(in))) {
            t.at_question = false;
            return in.error != 0 ? input_status::failed : input_status::ended;
        }
    }
}

} // namespace

void open_terminal(token_reader& in, output_buffer& out)
{
    if (!in.from_terminal || tcgetattr(in.fd, &t.found) != 0)
        return;
    struct stat input = {};
    struct stat output = {};
    const bool have_both = fstat(in.fd, &input) == 0 && fstat(out.fd, &output) == 0;
    if (have_both && is_terminal(out.fd) && input.st_rdev == output.st_rdev) {
        t.screen_fd = out.fd;
        t.screen = &out;
        t.prompts_shown = true;
    } else if (const char* name = ttyname(in.fd)) {
        // Standard output goes elsewhere (a file, tee): the line is shown on
        // the terminal itself, and nothing of it goes to the file.
        t.screen_fd = open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
        init_output(t.own_screen, t.screen_fd);
        t.screen = &t.own_screen;
        t.through_pipe = have_both && (S_ISFIFO(output.st_mode) || S_ISSOCK(output.st_mode));
        t.prompts_shown = t.through_pipe;
    }
    // Nowhere to show the line: the terminal's own line mode stays.
    if (t.screen_fd < 0 || pipe(t.notes) != 0)
        return;
    for (const int fd : t.notes) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    t.fd = in.fd;
    t.ours = t.found;
    t.ours.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | IEXTEN));
    t.ours.c_lflag |= NOFLSH;
    t.ours.c_cc[VMIN] = 1;
    t.ours.c_cc[VTIME] = 0;
    const auto key = [](cc_t c) {
        return c == _POSIX_VDISABLE ? -1 : static_cast<int>(c);
    };
    init_editor(t.editor, {key(t.found.c_cc[VERASE]), key(t.found.c_cc[VKILL]), key(t.found.c_cc[VWERASE]),
                           key(t.found.c_cc[VEOF])});
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (const int s : handled_signals)
        sigaddset(&action.sa_mask, s);
    sigset_t previous;
    hold_signals(&previous);
    for (int i = 0; i < handled_count; ++i) {
        sigaction(handled_signals[i], nullptr, &t.previous[i]);
        t.handling[i] = t.previous[i].sa_handler != SIG_IGN;
        if (t.handling[i])
            sigaction(handled_signals[i], &action, nullptr);
    }
    take_up();
    release_signals(&previous);
    in.source = read_line;
}

void close_terminal(token_reader& in, output_buffer&)
{
    if (t.fd < 0) {
        if (t.screen_fd >= 0 && t.screen == &t.own_screen)
            close(t.screen_fd);
        return;
    }
    sigset_t previous;
    hold_signals(&previous);
    put_back();
    for (int i = 0; i < handled_count; ++i) {
        if (t.handling[i])
            sigaction(handled_signals[i], &t.previous[i], nullptr);
    }
    release_signals(&previous);
    for (int& fd : t.notes) {
        close(fd);
        fd = -1;
    }
    if (t.screen == &t.own_screen) {
        flush_output(t.own_screen);
        close(t.screen_fd);
    }
    t.fd = t.screen_fd = -1;
    in.source = nullptr;
}

void show_answer(token_reader& in, output_buffer& out)
{
    if (in.source == nullptr)
        return;
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    };
    std::size_t from = in.shown < in.next ? in.shown : in.next;
    std::size_t to = in.next;
    while (from < to && blank(in.data[from]))
        ++from;
    while (to > from && blank(in.data[to - 1]))
        --to;
    in.shown = in.next;
    if (!t.burst)
        wait_for_reader(out);
    if (t.stopped) {
        // Stopped since the question was written: the shell has written
        // since, and the answer needs its question again.
        t.stopped = 0;
        put_text(*t.screen, "\r");
        put_shown(*t.screen, t.prompts_shown ? in.prompt : std::string_view());
    }
    put_shown(*t.screen, std::string_view(in.data + from, to - from));
    put_text(*t.screen, "\n");
    if (t.screen != &out)
        flush_output(*t.screen);
}

void wait_for_key_press(token_reader& in, output_buffer& out)
{
    if (t.fd < 0) {
        flush_output(out);
        return; // the terminal's own line mode: no key can be taken alone
    }
    t.prompt = t.prompts_shown ? in.prompt : std::string_view();
    t.at_question = false;
    t.cursor_row = 0;
    bool& paste_open = t.editor.in_paste;
    // Keys that came while the report was written may answer the next
    // question already: those that are there before the prompt shows.
    const bool typed_ahead = !read_keys(in) || keys_answer(std::string_view(t.keys, t.keys_length), &paste_open);
    if (!flush_output(out) || typed_ahead)
        return;
    t.keys_length = 0;
    const int end_of_input_key = t.editor.keys.end_of_input;
    for (bool overdue = false;;) {
        const std::string_view arrived(t.keys, t.keys_length);
        int limit = -1;
        if (paste_open) {
            // In a marked paste all is the next questions' but its closing
            // marker, whose rest is waited for as long as it takes.
            const marker m = paste_marker_at(arrived);
            if (m == marker::closes) {
                drop_keys(paste_marker_length);
                paste_open = false;
                continue;
            }
            if (m != marker::partial && !arrived.empty())
                return;
        } else {
            const pause_verdict v = judge_terminal_bytes(arrived, end_of_input_key, overdue);
            switch (v.kind) {
            case arrived_as::one_key:
                drop_keys(v.count);
                return;
            case arrived_as::end_of_input:
                drop_keys(v.count);
                in.at_end = true;
                return;
            case arrived_as::more_than_a_key:
                return;
            case arrived_as::blank:
                drop_keys(v.count); // the end of a paste gone by, not a key
                continue;
            case arrived_as::nothing_yet:
                break;
            }
            limit = arrived.empty() ? -1 : key_rest_ms;
        }
        const waited w = wait_for_terminal(in, limit);
        overdue = w == waited::time_up;
        if (w == waited::failed || (w == waited::readable && !read_keys(in)))
            return; // the next question meets the end or the error
    }
}
