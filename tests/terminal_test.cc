// The calculator at a real terminal: a pseudo-terminal whose other end
// this test holds, typing as a person would and reading the screen.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

struct terminal_session {
    int master = -1;
    pid_t pid = -1;
    termios before = {};
    std::string screen; // everything the program has written so far
};

terminal_session start_session()
{
    terminal_session s;
    s.pid = forkpty(&s.master, nullptr, nullptr, nullptr);
    if (s.pid == 0) {
        execl(VORLANE_BINARY, "vorlane", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (s.pid < 0 || tcgetattr(s.master, &s.before) != 0)
        std::abort();
    return s;
}

// Reads the screen until text has appeared count times in all, or the
// time is up.
bool wait_for(terminal_session& s, const std::string& text, int count = 1, std::chrono::milliseconds limit = 10000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int seen = 0;
        for (std::size_t at = s.screen.find(text); at != std::string::npos; at = s.screen.find(text, at + 1))
            ++seen;
        if (seen >= count)
            return true;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd ready = {s.master, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = read(s.master, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        s.screen.append(chunk, static_cast<std::size_t>(n));
    }
}

void type(terminal_session& s, const std::string& keys)
{
    if (write(s.master, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
        std::abort();
}

bool same_settings(const termios& a, const termios& b)
{
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag && a.c_lflag == b.c_lflag &&
           std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

termios current_settings(const terminal_session& s)
{
    termios t = {};
    tcgetattr(s.master, &t);
    return t;
}

// Waits until the program has put the terminal in its pause mode.
bool wait_for_pause_mode(const terminal_session& s)
{
    for (int i = 0; i < 500; ++i) {
        if ((current_settings(s).c_lflag & (ICANON | ECHO)) == 0)
            return true;
        usleep(10000);
    }
    return false;
}

int finish(terminal_session& s)
{
    int status = 0;
    waitpid(s.pid, &status, 0);
    return status;
}

const std::string pause_prompt = "Press any key to continue . . . ";
const std::string height_prompt = "Enter DD coil height : ";

// Up to the first pause.
void answer_first_cycle(terminal_session& s)
{
    ASSERT_TRUE(wait_for(s, height_prompt)) << s.screen;
    type(s, "100\n");
    ASSERT_TRUE(wait_for(s, "Please enter Window width: ")) << s.screen;
    type(s, "20\n");
    ASSERT_TRUE(wait_for(s, pause_prompt)) << s.screen;
    ASSERT_TRUE(wait_for_pause_mode(s));
}

TEST(Terminal, ThePromptIsShownBeforeAnythingIsTyped)
{
    terminal_session s = start_session();
    EXPECT_TRUE(wait_for(s, height_prompt)) << s.screen;
    // Ctrl-D at the prompt is the end of input: a newline, and success.
    type(s, "\x04");
    const int status = finish(s);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    wait_for(s, "\r\n" + std::string("never"), 1, 200ms);
    EXPECT_EQ(s.screen.substr(s.screen.size() - height_prompt.size() - 2), height_prompt + "\r\n");
    close(s.master);
}

TEST(Terminal, ThePauseTakesOneKeyWithoutEnterAndKeepsIt)
{
    const struct {
        const char* name;
        std::string key;
    } keys[] = {{"a letter", "x"},
                {"an arrow", "\x1b[A"},
                {"a function key", "\x1b[15~"},
                {"Enter", "\r"},
                {"a two-byte character", "\xc3\xa9"}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        terminal_session s = start_session();
        answer_first_cycle(s);
        if (HasFatalFailure())
            return;
        const std::size_t paused_at = s.screen.size();
        type(s, k.key);
        ASSERT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
        // No echo of the key: the pause's own newline, then the header.
        EXPECT_EQ(s.screen.substr(paused_at, 5), "\r\n \r\n");
        EXPECT_TRUE(same_settings(current_settings(s), s.before));
        // Nothing of the key reaches the next question.
        type(s, "7\n8\n");
        ASSERT_TRUE(wait_for(s, pause_prompt, 2)) << s.screen;
        EXPECT_NE(s.screen.find("DD coil height = 7.000000"), std::string::npos) << s.screen;
        EXPECT_EQ(s.screen.find("Please enter a number."), std::string::npos) << s.screen;
        kill(s.pid, SIGKILL);
        finish(s);
        close(s.master);
    }
}

TEST(Terminal, LinesTypedAheadAreNotTakenForTheKey)
{
    terminal_session s = start_session();
    ASSERT_TRUE(wait_for(s, height_prompt));
    type(s, "100\n20\n5\n6\n");
    ASSERT_TRUE(wait_for(s, pause_prompt)) << s.screen;
    ASSERT_TRUE(wait_for_pause_mode(s));
    type(s, " ");
    ASSERT_TRUE(wait_for(s, pause_prompt, 2)) << s.screen;
    EXPECT_NE(s.screen.find("DD coil height = 5.000000"), std::string::npos) << s.screen;
    EXPECT_NE(s.screen.find("Window width = 6.000000"), std::string::npos) << s.screen;
    kill(s.pid, SIGKILL);
    finish(s);
    close(s.master);
}

TEST(Terminal, SettingsAreRestoredWhenThePauseIsInterrupted)
{
    const struct {
        const char* name;
        int signal_number;
        bool from_keyboard;
    } ways[] = {
        {"Ctrl-C", SIGINT, true}, {"SIGTERM", SIGTERM, false}, {"SIGHUP", SIGHUP, false}, {"Ctrl-\\", SIGQUIT, true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        terminal_session s = start_session();
        answer_first_cycle(s);
        if (HasFatalFailure())
            return;
        EXPECT_FALSE(same_settings(current_settings(s), s.before));
        if (way.from_keyboard)
            type(s, way.signal_number == SIGINT ? "\x03" : "\x1c");
        else
            kill(s.pid, way.signal_number);
        const int status = finish(s);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == way.signal_number) << status;
        EXPECT_TRUE(same_settings(current_settings(s), s.before));
        close(s.master);
    }
}

// Under job control, as from a shell: the program in a process group of
// its own in the terminal's foreground, a parent in the same session
// waiting for it, so that Ctrl-Z really stops it.
terminal_session start_job_session()
{
    terminal_session s;
    s.pid = forkpty(&s.master, nullptr, nullptr, nullptr);
    if (s.pid == 0) {
        const pid_t job = fork();
        if (job == 0) {
            signal(SIGTTOU, SIG_IGN);
            setpgid(0, 0);
            tcsetpgrp(0, getpid());
            signal(SIGTTOU, SIG_DFL);
            execl(VORLANE_BINARY, "vorlane", static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        while (waitpid(job, &status, WUNTRACED | WCONTINUED) == job) {
            if (WIFEXITED(status))
                _exit(WEXITSTATUS(status));
            if (WIFSIGNALED(status))
                _exit(128 + WTERMSIG(status));
        }
        _exit(126);
    }
    if (s.pid < 0 || tcgetattr(s.master, &s.before) != 0)
        std::abort();
    return s;
}

TEST(Terminal, CtrlZDuringThePauseRestoresTheTerminalUntilResumed)
{
    terminal_session s = start_job_session();
    answer_first_cycle(s);
    if (HasFatalFailure())
        return;
    type(s, "\x1a");
    bool restored = false;
    for (int i = 0; i < 500 && !restored; ++i) {
        restored = same_settings(current_settings(s), s.before);
        usleep(10000);
    }
    EXPECT_TRUE(restored) << "the terminal stayed in pause mode while stopped";
    const pid_t job = tcgetpgrp(s.master);
    ASSERT_GT(job, 0);
    kill(-job, SIGCONT);
    EXPECT_TRUE(wait_for_pause_mode(s)) << "the pause did not take up its mode again";
    type(s, "k");
    EXPECT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
    EXPECT_TRUE(same_settings(current_settings(s), s.before));
    type(s, "\x04");
    const int status = finish(s);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(s.master);
}

} // namespace
