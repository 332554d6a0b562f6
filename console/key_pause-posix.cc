#include "console/key_pause.h"

#include <cerrno>
#include <csignal>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "console/stream_io.h"

// The terminal is put in non-canonical mode without echo, so that one key
// does, with no Enter, and nothing shows.  It must be put back exactly as
// it was however the pause ends: after the key, and on the signals that
// end or stop the program meanwhile.  The handlers are set only for the
// pause, and only where the signal was not ignored to begin with.

namespace {

constexpr char pause_prompt[] = "Press any key to continue . . . ";

// Shared with the signal handlers, which only call async-signal-safe
// functions on them.
int pause_fd = -1;
termios saved_settings;
termios pause_settings;

constexpr int ending_signals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int signal_count = static_cast<int>(sizeof ending_signals / sizeof ending_signals[0]);
struct sigaction previous_ending[signal_count];
struct sigaction previous_stop;

void on_ending_signal(int signal_number)
{
    tcsetattr(pause_fd, TCSANOW, &saved_settings);
    // End as that signal ends a program, so a shell sees the usual status.
    std::signal(signal_number, SIG_DFL);
    raise(signal_number); // delivered once this handler returns
}

void on_stop_signal(int)
{
    const int saved_errno = errno;
    tcsetattr(pause_fd, TCSANOW, &saved_settings);
    std::signal(SIGTSTP, SIG_DFL);
    sigset_t stop_set;
    sigemptyset(&stop_set);
    sigaddset(&stop_set, SIGTSTP);
    raise(SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop_set, nullptr); // stops here until continued
    // Back in the foreground: the pause goes on where it was.
    tcsetattr(pause_fd, TCSANOW, &pause_settings);
    struct sigaction action = {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTSTP, &action, nullptr);
    errno = saved_errno;
}

void install(int signal_number, void (*handler)(int), struct sigaction* previous)
{
    sigaction(signal_number, nullptr, previous);
    if (previous->sa_handler == SIG_IGN)
        return;
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

void install_handlers()
{
    for (int i = 0; i < signal_count; ++i)
        install(ending_signals[i], on_ending_signal, &previous_ending[i]);
    install(SIGTSTP, on_stop_signal, &previous_stop);
}

void restore_handlers()
{
    for (int i = 0; i < signal_count; ++i)
        sigaction(ending_signals[i], &previous_ending[i], nullptr);
    sigaction(SIGTSTP, &previous_stop, nullptr);
}

// Lines already completed on the terminal were typed for the next cycles,
// not as the key press: take them into the reader's buffer first.
void take_typed_ahead(token_reader& in, output_buffer& out)
{
    pollfd ready = {in.fd, POLLIN, 0};
    while (!in.at_end && in.error == 0 && pending_bytes(in) < input_capacity && poll(&ready, 1, 0) == 1 &&
           (ready.revents & POLLIN) != 0) {
        if (fill_reader(in, out) != token_status::token)
            break;
    }
}

// One key press: all the bytes it sends, so that the rest of an escape
// sequence (an arrow key, a function key) does not reach the next read.
void read_one_key(int fd)
{
    char key[64];
    long n;
    int error = 0;
    do {
        n = read_some(fd, key, sizeof key, &error);
    } while (n < 0 && error == EINTR);
    if (n == 1 && key[0] == '\x1b') {
        // A lone escape byte: either the Esc key or the start of a
        // sequence whose rest is a moment behind.
        pollfd ready = {fd, POLLIN, 0};
        while (poll(&ready, 1, 50) == 1 && (ready.revents & POLLIN) != 0) {
            if (read_some(fd, key, sizeof key, &error) <= 0)
                break;
        }
    }
}

} // namespace

void pause_for_key(token_reader& in, output_buffer& out)
{
    if (!in.from_terminal)
        return;
    put_text(out, pause_prompt);
    if (!flush_output(out))
        return;
    take_typed_ahead(in, out);
    if (in.at_end || in.error != 0)
        return; // nothing more will come; the next read ends the dialogue
    if (tcgetattr(in.fd, &saved_settings) != 0)
        return;
    pause_fd = in.fd;
    pause_settings = saved_settings;
    pause_settings.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    pause_settings.c_cc[VMIN] = 1;
    pause_settings.c_cc[VTIME] = 0;

    install_handlers();
    if (tcsetattr(in.fd, TCSANOW, &pause_settings) == 0) {
        read_one_key(in.fd);
        tcsetattr(in.fd, TCSANOW, &saved_settings);
    }
    restore_handlers();
    put_text(out, "\n");
}
