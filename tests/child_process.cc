#include "child_process.h"

#include <csignal>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace child {

namespace {

// As a shell starts a job in the foreground, whatever the test itself was
// started with (a background job of a script ignores Ctrl-C and Ctrl-\).
void default_signals()
{
    for (const int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT})
        signal(s, SIG_DFL);
}

[[noreturn]] void exec_calculator(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    static char name[] = "vorlane";
    argv.push_back(name);
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Only the three standard streams: a stray copy of a pipe's write end
    // would keep the input from ever ending.
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    execv(VORLANE_BINARY, argv.data());
    _exit(127);
}

// A shell's part, in the pseudo-terminal's session: runs the calculator as
// a job in a process group of its own, takes the terminal back whenever it
// stops, and carries out the test's commands.  Exits as the job does.
[[noreturn]] void run_job_parent(int commands, int reports)
{
    signal(SIGTTOU, SIG_IGN);
    const pid_t job = fork();
    if (job == 0) {
        setpgid(0, 0);
        tcsetpgrp(0, getpid());
        signal(SIGTTOU, SIG_DFL);
        exec_calculator({});
    }
    setpgid(job, job);
    tcsetpgrp(0, job);
    for (;;) {
        int status = 0;
        if (waitpid(job, &status, WUNTRACED | WNOHANG) == job) {
            if (WIFEXITED(status))
                _exit(WEXITSTATUS(status));
            if (WIFSIGNALED(status))
                _exit(128 + WTERMSIG(status));
            if (WIFSTOPPED(status)) {
                tcsetpgrp(0, getpgrp());
                const char report[2] = {'S', static_cast<char>(WSTOPSIG(status))};
                if (write(reports, report, 2) != 2)
                    _exit(125);
            }
        }
        pollfd ready = {commands, POLLIN, 0};
        if (poll(&ready, 1, 5) <= 0)
            continue;
        char command = 0;
        if (read(commands, &command, 1) != 1) {
            kill(-job, SIGKILL);
            _exit(126);
        }
        switch (static_cast<job_command>(command)) {
        case job_command::fg:
            tcsetpgrp(0, job);
            kill(-job, SIGCONT);
            break;
        case job_command::cont:
            kill(-job, SIGCONT);
            break;
        case job_command::terminate:
            kill(-job, SIGTERM);
            kill(-job, SIGCONT);
            break;
        case job_command::hang_up:
            kill(-job, SIGHUP);
            kill(-job, SIGCONT);
            break;
        }
    }
}

} // namespace

int wait_for_exit(pid_t pid, std::chrono::milliseconds limit, rusage* usage)
{
    rusage ignored = {};
    if (usage == nullptr)
        usage = &ignored;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    pid_t ended;
    while ((ended = wait4(pid, &status, WNOHANG, usage)) == 0 && std::chrono::steady_clock::now() < deadline)
        usleep(2000);
    if (ended != pid) {
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, usage);
        return -1;
    }
    return status;
}

bool exited_with(int status, int code)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code;
}

bool ended_by(int status, int signal_number)
{
    return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
}

pid_t start_program(const std::vector<std::string>& arguments, int in, int out, int* errors, bool ignore_sigpipe)
{
    int err_pipe[2] = {-1, -1};
    if (errors != nullptr && pipe(err_pipe) != 0)
        std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        default_signals();
        dup2(in, 0);
        dup2(out, 1);
        dup2(errors != nullptr ? err_pipe[1] : out, 2);
        signal(SIGPIPE, ignore_sigpipe ? SIG_IGN : SIG_DFL);
        exec_calculator(arguments);
    }
    if (errors != nullptr) {
        close(err_pipe[1]);
        *errors = err_pipe[0];
    }
    return pid;
}

std::string read_all(int fd)
{
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<std::size_t>(n));
    return text;
}

std::string why_no_terminal()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    const char* name = master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
    const int other = name != nullptr ? open(name, O_RDWR | O_NOCTTY) : -1;
    const std::string why =
        other >= 0 ? "" : std::string("no pseudo-terminal can be opened here: ") + std::strerror(errno);
    if (other >= 0)
        close(other);
    if (master >= 0)
        close(master);
    return why;
}

terminal start_on_terminal(start_as how, int output)
{
    terminal t;
    int commands[2] = {-1, -1};
    int reports[2] = {-1, -1};
    if (how == start_as::job && (pipe(commands) != 0 || pipe(reports) != 0))
        std::abort();
    t.pid = forkpty(&t.master, nullptr, nullptr, nullptr);
    if (t.pid == 0) {
        default_signals();
        if (output >= 0)
            dup2(output, 1);
        if (how == start_as::job)
            run_job_parent(commands[0], reports[1]);
        if (how == start_as::hangup_ignored)
            signal(SIGHUP, SIG_IGN);
        if (how == start_as::broken_pipe_ignored)
            signal(SIGPIPE, SIG_IGN);
        exec_calculator({});
    }
    if (t.pid < 0 || tcgetattr(t.master, &t.before) != 0)
        std::abort();
    if (how == start_as::job) {
        close(commands[0]);
        close(reports[1]);
        t.commands = commands[1];
        t.reports = reports[0];
    }
    return t;
}

int seen(const terminal& t, const std::string& text)
{
    int count = 0;
    for (std::size_t at = t.screen.find(text); at != std::string::npos; at = t.screen.find(text, at + 1))
        ++count;
    return count;
}

bool wait_for(terminal& t, const std::string& text, int count, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (seen(t, text) >= count)
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready = {t.master, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = read(t.master, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        t.screen.append(chunk, static_cast<std::size_t>(n));
    }
}

void type(terminal& t, const std::string& keys)
{
    if (write(t.master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
        std::abort();
}

termios settings(const terminal& t)
{
    termios now = {};
    tcgetattr(t.master, &now);
    return now;
}

bool same_settings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

bool wait_for_settings(const terminal& t, const termios& wanted)
{
    for (int i = 0; i < 500; ++i) {
        if (same_settings(settings(t), wanted))
            return true;
        usleep(10000);
    }
    return false;
}

bool wait_for_pause_mode(const terminal& t)
{
    for (int i = 0; i < 500; ++i) {
        if ((settings(t).c_lflag & (ICANON | ECHO)) == 0)
            return true;
        usleep(10000);
    }
    return false;
}

int finish(terminal& t, std::chrono::milliseconds limit)
{
    const int status = wait_for_exit(t.pid, limit);
    t.pid = -1;
    return status;
}

void end(terminal& t)
{
    if (t.commands >= 0)
        close(t.commands); // the parent kills its job when its commands end
    if (t.pid > 0) {
        if (t.commands < 0)
            kill(t.pid, SIGKILL);
        finish(t, 2000ms);
    }
    close(t.master);
    if (t.reports >= 0)
        close(t.reports);
}

void tell(terminal& t, job_command command)
{
    const char c = static_cast<char>(command);
    if (write(t.commands, &c, 1) != 1)
        std::abort();
}

int wait_for_stop(terminal& t, std::chrono::milliseconds limit)
{
    pollfd ready = {t.reports, POLLIN, 0};
    char report[2];
    if (poll(&ready, 1, static_cast<int>(limit.count())) <= 0 || read(t.reports, report, 2) != 2 || report[0] != 'S')
        return 0;
    return report[1];
}

} // namespace child
