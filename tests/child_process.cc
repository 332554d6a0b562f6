#include "child_process.h"

#include <csignal>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace child {

namespace {

// As a shell starts a job in the foreground, whatever the test itself was
// started with (a background job of a script ignores Ctrl-C and Ctrl-\).
void default_signals() {
    for (const int s : {SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGTSTP, SIGTTIN, SIGTTOU, SIGCONT}) signal(s, SIG_DFL);
}

[[noreturn]] void exec_calculator(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    static char name[] = "vorlane";
    argv.push_back(name);
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Only the three standard streams: a stray copy of a pipe's write end
    // would keep the input from ever ending.
    for (int fd = 3; fd < 1024; ++fd) close(fd);
    execv(VORLANE_BINARY, argv.data());
    _exit(127);
}

} // namespace

int wait_for_exit(pid_t pid, const std::string& what, rusage* usage) {
    rusage ignored = {};
    if (usage == nullptr) usage = &ignored;
    const auto deadline = std::chrono::steady_clock::now() + hang_limit;
    int status = 0;
    pid_t ended;
    while ((ended = wait4(pid, &status, WNOHANG, usage)) == 0 && std::chrono::steady_clock::now() < deadline)
        usleep(2000);
    if (ended != pid) {
        ADD_FAILURE() << "the program did not end within " << hang_limit.count() << " s " << what;
        kill(pid, SIGKILL);
        wait4(pid, &status, 0, usage);
        return -1;
    }
    return status;
}

bool exited_with(int status, int code) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code; }

bool ended_by(int status, int signal_number) {
    return status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == signal_number;
}

pid_t start_program(const std::vector<std::string>& arguments, int in, int out, int* errors, bool ignore_sigpipe) {
    int err_pipe[2] = {-1, -1};
    if (errors != nullptr && pipe(err_pipe) != 0) std::abort();
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

std::string read_all(int fd) {
    std::string text;
    char chunk[4096];
    ssize_t n;
    while ((n = read(fd, chunk, sizeof chunk)) > 0) text.append(chunk, static_cast<std::size_t>(n));
    return text;
}

} // namespace child
