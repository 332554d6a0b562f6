// The calculator at a real terminal: a pseudo-terminal whose other end
// this test holds, typing as a person would and reading the screen.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <string>
#include <vector>
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

// The calculator on a new pseudo-terminal; with hangup_ignored, started
// as nohup starts a program.
terminal_session start_session(bool hangup_ignored = false)
{
    terminal_session s;
    s.pid = forkpty(&s.master, nullptr, nullptr, nullptr);
    if (s.pid == 0) {
        if (hangup_ignored)
            signal(SIGHUP, SIG_IGN);
        execl(VORLANE_BINARY, "vorlane", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (s.pid < 0 || tcgetattr(s.master, &s.before) != 0)
        std::abort();
    return s;
}

// Reads the screen until text has appeared count times in all, or the
// time is up.
bool wait_for(terminal_session& s, const std::string& text, int count = 1, std::chrono::milliseconds limit = 5000ms)
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

// The exit status once the program has ended, or -1 if it is still
// running when the time is up; then it is killed, so no test hangs.
int finish(terminal_session& s, std::chrono::milliseconds limit = 5000ms)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (waitpid(s.pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, &status, 0);
            return -1;
        }
        usleep(5000);
    }
    return status;
}

void end_session(terminal_session& s)
{
    kill(s.pid, SIGKILL);
    finish(s);
    close(s.master);
}

bool exited_with_success(int status)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The signals a process catches, as the kernel shows them (Linux).
std::string caught_signals(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return line;
    }
    return "";
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
    EXPECT_TRUE(exited_with_success(finish(s)));
    wait_for(s, "\r\n" + std::string("never"), 1, 200ms);
    EXPECT_EQ(s.screen.substr(s.screen.size() - height_prompt.size() - 2), height_prompt + "\r\n");
    close(s.master);
}

TEST(Terminal, ThePauseTakesOneKeyWithoutEnterAndNothingMore)
{
    const struct {
        const char* name;
        std::vector<std::string> pieces; // 30 ms apart
    } keys[] = {{"a letter", {"x"}},
                {"an arrow", {"\x1b[A"}},
                {"an arrow in two pieces", {"\x1b", "[A"}},
                {"a function key in three pieces", {"\x1b", "[1", "5~"}},
                {"Alt and a letter", {"\x1bx"}},
                {"Esc alone", {"\x1b"}},
                {"Enter", {"\r"}},
                {"a two-byte character in two pieces", {"\xc3", "\xa9"}}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        terminal_session s = start_session();
        ASSERT_TRUE(wait_for(s, height_prompt)) << s.screen;
        const std::string handlers_before = caught_signals(s.pid);
        answer_first_cycle(s);
        if (HasFatalFailure())
            return;
        const std::size_t paused_at = s.screen.size();
        for (const std::string& piece : k.pieces) {
            type(s, piece);
            usleep(30000);
        }
        ASSERT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
        // No echo of the key: the pause's own newline, then the header.
        EXPECT_EQ(s.screen.substr(paused_at, 5), "\r\n \r\n");
        EXPECT_TRUE(same_settings(current_settings(s), s.before));
        // The pause's handlers are gone with it.
        EXPECT_EQ(caught_signals(s.pid), handlers_before);
        // Nothing of the key reaches the next question.
        type(s, "7\n8\n");
        ASSERT_TRUE(wait_for(s, pause_prompt, 2)) << s.screen;
        EXPECT_NE(s.screen.find("DD coil height = 7.000000"), std::string::npos) << s.screen;
        EXPECT_EQ(s.screen.find("Not a number"), std::string::npos) << s.screen;
        end_session(s);
    }
}

TEST(Terminal, InputTypedAheadOrPastedIsKeptWhole)
{
    const struct {
        const char* name;
        std::string before_pause; // typed with the answers, before the pause
        std::string at_pause;     // arriving at once while the pause waits
        std::vector<std::string> heights;
    } cases[] = {
        {"whole lines typed ahead", "5\n6\n", "", {"5.000000"}},
        {"part of a line typed ahead", "5 6 7", "", {"5.000000"}},
        {"a paste at the pause, one line longer than 64 bytes",
         "",
         "101 21\n102.0000000000000000000000000000000000000000000000000000000000000000000000 22\n103 23\n",
         {"101.000000", "102.000000", "103.000000"}},
        {"a short paste at the pause", "", "150 30\n", {"150.000000"}},
        {"two keys at once", "", "42", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        terminal_session s = start_session();
        ASSERT_TRUE(wait_for(s, height_prompt));
        type(s, "100\n20\n" + c.before_pause);
        ASSERT_TRUE(wait_for(s, pause_prompt)) << s.screen;
        if (!c.at_pause.empty()) {
            ASSERT_TRUE(wait_for_pause_mode(s));
            type(s, c.at_pause);
        }
        // Each pair's report in order, the pauses between them ended at
        // once by the input already there, then a pause that waits.
        ASSERT_TRUE(wait_for(s, pause_prompt, static_cast<int>(c.heights.size()) + 1)) << s.screen;
        std::size_t at = 0;
        for (const std::string& height : c.heights) {
            at = s.screen.find("DD coil height = " + height, at);
            EXPECT_NE(at, std::string::npos) << height << " missing or out of order:\n" << s.screen;
        }
        if (c.heights.empty()) {
            // The keys went to the next question, which still waits for
            // the rest of the number.
            ASSERT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
            type(s, "\n1\n");
            ASSERT_TRUE(wait_for(s, pause_prompt, 2)) << s.screen;
            EXPECT_NE(s.screen.find("DD coil height = 42.000000"), std::string::npos) << s.screen;
        }
        EXPECT_EQ(s.screen.find("Not a number"), std::string::npos) << s.screen;
        end_session(s);
    }
}

TEST(Terminal, CtrlDTypedAheadEndsWithoutWaitingForAKey)
{
    terminal_session s = start_session();
    ASSERT_TRUE(wait_for(s, height_prompt));
    type(s, "100\n20\n\x04");
    EXPECT_TRUE(exited_with_success(finish(s, 5000ms))) << s.screen;
    close(s.master);
}

TEST(Terminal, RefusalsStandOnTheirOwnLineAndQuitEnds)
{
    terminal_session s = start_session();
    ASSERT_TRUE(wait_for(s, height_prompt));
    // Typed at the prompt: the echoed Enter has ended the line already.
    type(s, "12,5\n");
    ASSERT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
    EXPECT_NE(s.screen.find(height_prompt + "12,5\r\nNot a number: \"12,5\" "), std::string::npos) << s.screen;
    // Typed ahead with the height: the notice needs a line break first.
    type(s, "100 abc\n");
    ASSERT_TRUE(wait_for(s, "Please enter Window width: ", 2)) << s.screen;
    EXPECT_NE(s.screen.find("Please enter Window width: \r\nNot a number: \"abc\" "), std::string::npos) << s.screen;
    type(s, "QUIT\n");
    EXPECT_TRUE(exited_with_success(finish(s, 5000ms))) << s.screen;
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
        EXPECT_TRUE(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == way.signal_number) << status;
        EXPECT_TRUE(same_settings(current_settings(s), s.before));
        close(s.master);
    }
}

TEST(Terminal, AHangupIgnoredAtTheStartStaysIgnored)
{
    terminal_session s = start_session(true);
    answer_first_cycle(s);
    if (HasFatalFailure())
        return;
    kill(s.pid, SIGHUP);
    usleep(100000);
    type(s, "k");
    ASSERT_TRUE(wait_for(s, height_prompt, 2)) << "a hangup ended the pause:\n" << s.screen;
    kill(s.pid, SIGHUP);
    type(s, "\x04");
    EXPECT_TRUE(exited_with_success(finish(s)));
    close(s.master);
}

// Under job control, as from a shell: the program in a process group of
// its own in the terminal's foreground, and a parent in the same session
// that, like a shell, takes the terminal back when the program stops and
// hands it over again on "fg" (SIGUSR1 here).
volatile sig_atomic_t fg_asked = 0;

terminal_session start_job_session()
{
    terminal_session s;
    s.pid = forkpty(&s.master, nullptr, nullptr, nullptr);
    if (s.pid == 0) {
        signal(SIGTTOU, SIG_IGN);
        const pid_t job = fork();
        if (job == 0) {
            setpgid(0, 0);
            tcsetpgrp(0, getpid());
            signal(SIGTTOU, SIG_DFL);
            execl(VORLANE_BINARY, "vorlane", static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(job, job);
        struct sigaction on_fg = {};
        on_fg.sa_handler = [](int) {
            fg_asked = 1;
        };
        sigaction(SIGUSR1, &on_fg, nullptr);
        for (;;) {
            int status = 0;
            const pid_t r = waitpid(job, &status, WUNTRACED);
            if (r == job && WIFEXITED(status))
                _exit(WEXITSTATUS(status));
            if (r == job && WIFSIGNALED(status))
                _exit(128 + WTERMSIG(status));
            if (r == job && WIFSTOPPED(status))
                tcsetpgrp(0, getpgrp());
            if (fg_asked != 0) {
                fg_asked = 0;
                tcsetpgrp(0, job);
                kill(-job, SIGCONT);
            }
        }
    }
    if (s.pid < 0 || tcgetattr(s.master, &s.before) != 0)
        std::abort();
    return s;
}

bool wait_for_settings(const terminal_session& s, const termios& wanted)
{
    for (int i = 0; i < 500; ++i) {
        if (same_settings(current_settings(s), wanted))
            return true;
        usleep(10000);
    }
    return false;
}

TEST(Terminal, CtrlZAndFgDuringThePause)
{
    terminal_session s = start_job_session();
    answer_first_cycle(s);
    if (HasFatalFailure())
        return;
    type(s, "\x1a");
    EXPECT_TRUE(wait_for_settings(s, s.before)) << "the terminal stayed in pause mode while stopped";
    kill(s.pid, SIGUSR1); // fg
    EXPECT_TRUE(wait_for_pause_mode(s)) << "the pause did not take up its mode again";
    EXPECT_TRUE(wait_for(s, "\r\n" + pause_prompt)) << "the pause prompt was not shown again:\n" << s.screen;
    type(s, "k");
    ASSERT_TRUE(wait_for(s, height_prompt, 2)) << s.screen;
    EXPECT_TRUE(same_settings(current_settings(s), s.before));
    // Ctrl-Z and fg at a question after the pause: typing still shows.
    type(s, "\x1a");
    usleep(100000);
    kill(s.pid, SIGUSR1);
    usleep(100000);
    type(s, "4321\n");
    EXPECT_TRUE(wait_for(s, "4321", 1, 2000ms)) << "what was typed was not echoed:\n" << s.screen;
    EXPECT_TRUE(same_settings(current_settings(s), s.before));
    type(s, "\x04");
    EXPECT_TRUE(exited_with_success(finish(s)));
    close(s.master);
}

TEST(Terminal, SigtermEndsAPauseStoppedByCtrlZ)
{
    terminal_session s = start_job_session();
    answer_first_cycle(s);
    if (HasFatalFailure())
        return;
    const pid_t job = tcgetpgrp(s.master);
    ASSERT_GT(job, 0);
    type(s, "\x1a");
    ASSERT_TRUE(wait_for_settings(s, s.before));
    // As a shell's "kill %1" does: the signal, then SIGCONT, to a job in
    // the background.
    kill(-job, SIGTERM);
    kill(-job, SIGCONT);
    const int status = finish(s, 1000ms);
    EXPECT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
    EXPECT_TRUE(same_settings(current_settings(s), s.before));
    close(s.master);
}

} // namespace
