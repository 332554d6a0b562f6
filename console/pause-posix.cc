#include "console/pause.h"

#include <cerrno>
#include <csignal>
#include <termios.h>
#include <unistd.h>

#include "console/pause_keys.h"
#include "console/stream_io.h"
#include "console/dialogue_texts.h"

// The terminal is put in non-canonical mode without echo, so that one key
// does, with no Enter, and nothing shows.  It must be put back exactly as
// it was however the pause ends: after the key, and on the signals that
// end or stop the program meanwhile, even while it is stopped or in the
// background.  The handlers are in place only during the pause, and only
// for signals that were not ignored to begin with (nohup).

namespace {

// Shared with the signal handlers, which only call async-signal-safe
// functions on them.
int pause_fd = -1;
int prompt_fd = -1; // where the pause prompt goes
termios saved_settings;
termios pause_settings;
// Whether the terminal is in pause mode now: a handler that finds it
// already put back leaves it alone, for by then the terminal may be the
// shell's, with settings of its own.
volatile sig_atomic_t in_pause_mode = 0;

constexpr int handled_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT};
constexpr int handled_count = static_cast<int>(sizeof handled_signals / sizeof handled_signals[0]);
struct sigaction previous_actions[handled_count];
struct sigaction stop_action;

// Puts the terminal back.  From the background a change of settings would
// stop the program with SIGTTOU; every handler runs with it blocked, so
// the change goes through.
void leave_pause_mode()
{
    if (in_pause_mode != 0) {
        tcsetattr(pause_fd, TCSANOW, &saved_settings);
        in_pause_mode = 0;
    }
}

void on_ending_signal(int signal_number)
{
    leave_pause_mode();
    // End as that signal ends a program, so a shell sees the usual status.
    std::signal(signal_number, SIG_DFL);
    raise(signal_number); // delivered once this handler returns
}

void on_stop_signal(int)
{
    const int saved_errno = errno;
    leave_pause_mode();
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t stop_set;
    sigemptyset(&stop_set);
    sigaddset(&stop_set, SIGTSTP);
    raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop_set, nullptr); // stops here until continued
    // Continued: SIGCONT's handler, blocked until this one returns, takes
    // up the pause again if the program is in the foreground.
    sigprocmask(SIG_BLOCK, &stop_set, nullptr);
    sigaction(SIGTSTP, &stop_action, nullptr);
    errno = saved_errno;
}

// Back in the foreground after a stop: the pause takes up its mode again
// and shows what it waits for, on a line of its own (the shell has written
// its own lines meanwhile).  Nothing of the program's output is waiting in
// its buffer during the pause, so this write comes in order.
void on_continue_signal(int)
{
    if (in_pause_mode != 0 || tcgetpgrp(pause_fd) != getpgrp())
        return; // not stopped by us, or continued in the background
    const int saved_errno = errno;
    if (tcsetattr(pause_fd, TCSANOW, &pause_settings) == 0) {
        in_pause_mode = 1;
        char prompt[1 + texts::pause_prompt.size()] = {'\n'};
        texts::pause_prompt.copy(prompt + 1, texts::pause_prompt.size());
        int ignored = 0;
        static_cast<void>(write_all(prompt_fd, prompt, sizeof prompt, &ignored));
    }
    errno = saved_errno;
}

void install_handlers()
{
    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    // One handler at a time, and SIGTTOU held off while they change the
    // terminal.  No SA_RESTART: the wait for a key must see a signal.
    for (const int s : handled_signals)
        sigaddset(&action.sa_mask, s);
    sigaddset(&action.sa_mask, SIGTTOU);
    for (int i = 0; i < handled_count; ++i) {
        const int s = handled_signals[i];
        sigaction(s, nullptr, &previous_actions[i]);
        if (previous_actions[i].sa_handler == SIG_IGN)
            continue;
        action.sa_handler = s == SIGTSTP ? on_stop_signal : s == SIGCONT ? on_continue_signal : on_ending_signal;
        sigaction(s, &action, nullptr);
        if (s == SIGTSTP)
            stop_action = action;
    }
}

void restore_handlers()
{
    for (int i = 0; i < handled_count; ++i)
        sigaction(handled_signals[i], &previous_actions[i], nullptr);
}

// In pause mode: every byte that arrives goes into the reader's buffer;
// the pause takes it only when it was one key press, and leaves a paste or
// a burst of keys whole for the next questions.
void wait_in_pause_mode(token_reader& in)
{
    // Part of a line typed ahead during the report shows only now, out of
    // canonical mode: it ends the pause at once.
    const arrival typed_ahead = take_arriving_input(in, 0);
    if (typed_ahead == arrival::some || typed_ahead == arrival::stopped)
        return;
    bool something_came = false;
    for (;;) {
        const arrival a = take_arriving_input(in, something_came ? key_quiet_ms : -1);
        if (a == arrival::stopped)
            return; // the next question meets the end or the error
        if (a == arrival::interrupted)
            continue; // a stop and a continue, say: the wait goes on
        const std::size_t taken = key_press_bytes(unread_input(in), a == arrival::none);
        if (taken != key_not_yet_known) {
            drop_input(in, taken);
            return;
        }
        something_came = true;
    }
}

} // namespace

// The lines that the terminal has already completed were typed for the
// next questions, and so was an end of input (Ctrl-D): take them in while
// the terminal is still in canonical mode, where they are whole.
void take_typed_ahead(token_reader& in)
{
    while (take_arriving_input(in, 0) == arrival::some) {
    }
}

void wait_for_key_press(token_reader& in, const output_buffer& out)
{
    if (tcgetattr(in.fd, &saved_settings) != 0)
        return;
    pause_fd = in.fd;
    prompt_fd = out.fd;
    pause_settings = saved_settings;
    pause_settings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    pause_settings.c_cc[VMIN] = 1;
    pause_settings.c_cc[VTIME] = 0;

    install_handlers();
    // The flag first: a handler that runs before the mode is set puts back
    // what is there anyway.  In the background the change stops the
    // program with SIGTTOU, as it would any program, until fg.
    in_pause_mode = 1;
    if (tcsetattr(in.fd, TCSANOW, &pause_settings) == 0)
        wait_in_pause_mode(in);
    // Put back even from the background, where SIGTTOU would stop the
    // program again; the handlers stay out of the way meanwhile.
    sigset_t held;
    sigemptyset(&held);
    for (const int s : handled_signals)
        sigaddset(&held, s);
    sigaddset(&held, SIGTTOU);
    sigset_t previous_mask;
    sigprocmask(SIG_BLOCK, &held, &previous_mask);
    leave_pause_mode();
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    restore_handlers();
}
