// The calculator at a real terminal: typing, pasting and job control, as a
// person and a shell do them, through the harness of child_process.h.
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <string>
#include <thread>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "transcript.h"

namespace {

using namespace child;
using transcript::height_prompt;
using transcript::pause_prompt;
using transcript::width_prompt;

// Every test here needs a pseudo-terminal; where none can be opened (a
// root without /dev/pts) each says so and is skipped.
class Terminal : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string why = why_no_terminal();
        if (!why.empty())
            GTEST_SKIP() << why;
    }
};

// Around its wait, where the screen is the terminal, the pause turns the
// terminal's bracketed-paste mode on and off again.
const std::string marking_on = "\x1b[?2004h";
const std::string marking_off = "\x1b[?2004l";

// How often text appears on the screen as the person sees it, without
// the switches of bracketed-paste mode.
int seen_on_screen(const terminal& t, const std::string& text)
{
    std::string screen = t.screen;
    for (const std::string& mode : {marking_on, marking_off}) {
        for (std::size_t at = screen.find(mode); at != std::string::npos; at = screen.find(mode, at))
            screen.erase(at, mode.size());
    }
    int count = 0;
    for (std::size_t at = screen.find(text); at != std::string::npos; at = screen.find(text, at + 1))
        ++count;
    return count;
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

// Once the pause has asked for pastes to be marked, it waits for a key,
// and what arrives is no longer typed ahead.
bool wait_for_waiting_pause(terminal& t, int count = 1)
{
    return wait_for(t, pause_prompt) && wait_for(t, marking_on, count) && wait_for_pause_mode(t);
}

// Up to the first pause, answered as typed, with blanks after the width
// and a blank line typed ahead: no answer to anything, so the pause waits.
void answer_first_cycle(terminal& t)
{
    ASSERT_TRUE(wait_for(t, height_prompt)) << t.screen;
    type(t, "100\n");
    ASSERT_TRUE(wait_for(t, width_prompt)) << t.screen;
    type(t, "20 \n \n");
    ASSERT_TRUE(wait_for_waiting_pause(t)) << t.screen;
}

// Moves through the pipe until text has come out of it, or the time is up.
bool drain_until(int pipe_end, std::string* drained, const std::string& text, int count = 1)
{
    for (int i = 0; i < 500; ++i) {
        int seen_count = 0;
        for (std::size_t at = drained->find(text); at != std::string::npos; at = drained->find(text, at + 1))
            ++seen_count;
        if (seen_count >= count)
            return true;
        pollfd ready = {pipe_end, POLLIN, 0};
        if (poll(&ready, 1, 10) > 0) {
            char chunk[4096];
            const ssize_t n = read(pipe_end, chunk, sizeof chunk);
            if (n <= 0)
                return false;
            drained->append(chunk, static_cast<std::size_t>(n));
        }
    }
    return false;
}

TEST_F(Terminal, ThePromptIsShownBeforeAnythingIsTyped)
{
    terminal t = start_on_terminal();
    EXPECT_TRUE(wait_for(t, height_prompt)) << t.screen;
    // Ctrl-D at the prompt is the end of input: a newline, and success.
    type(t, "\x04");
    EXPECT_TRUE(exited_with(finish(t), 0));
    wait_for(t, "never", 1, 200ms);
    EXPECT_TRUE(t.screen.ends_with(height_prompt + "\r\n")) << t.screen;
    close(t.master);
}

TEST_F(Terminal, ThePauseTakesOneKeyAtOnceAndNothingMore)
{
    const struct {
        const char* name;
        std::vector<std::string> pieces; // 30 ms apart
        bool ends_input;
    } keys[] = {
        {"a letter", {"x"}, false},
        {"an arrow", {"\x1b[A"}, false},
        {"an arrow in two pieces", {"\x1b", "[A"}, false},
        {"a function key in three pieces", {"\x1b", "[1", "5~"}, false},
        {"Ctrl-F5", {"\x1b[15;5~"}, false},
        {"Alt and a letter", {"\x1bx"}, false},
        {"Esc alone", {"\x1b"}, false},
        {"Enter", {"\r"}, false},
        {"a two-byte character in two pieces", {"\xc3", "\xa9"}, false},
        {"an emoji", {"\xf0\x9f\x98\x80"}, false},
        {"a paste's closing marker alone, then a letter", {"\x1b[201~", "x"}, false},
        {"Ctrl-D, which ends the input", {"\x04"}, true},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.name);
        terminal t = start_on_terminal();
        ASSERT_TRUE(wait_for(t, height_prompt)) << t.screen;
        const std::string handlers_before = caught_signals(t.pid);
        answer_first_cycle(t);
        if (HasFatalFailure())
            return;
        for (const std::string& piece : k.pieces) {
            type(t, piece);
            usleep(30000);
        }
        // No echo of the key: the pause's own line end.
        const std::string paused = marking_on + marking_off + "\r\n";
        if (k.ends_input) {
            EXPECT_TRUE(exited_with(finish(t), 0));
            wait_for(t, "never", 1, 200ms);
            EXPECT_TRUE(t.screen.ends_with(paused)) << t.screen;
            close(t.master);
            continue;
        }
        ASSERT_TRUE(wait_for(t, height_prompt, 2)) << t.screen;
        EXPECT_NE(t.screen.find(paused + " \r\n---"), std::string::npos) << t.screen;
        EXPECT_TRUE(same_settings(settings(t), t.before));
        // The pause's handlers are gone with it.
        EXPECT_EQ(caught_signals(t.pid), handlers_before);
        // Nothing of the key reaches the next question.
        type(t, "7\n8\n");
        ASSERT_TRUE(wait_for(t, pause_prompt, 2)) << t.screen;
        EXPECT_NE(t.screen.find("DD coil height = 7.000000"), std::string::npos) << t.screen;
        EXPECT_EQ(t.screen.find("Not a number"), std::string::npos) << t.screen;
        end(t);
    }
}

TEST_F(Terminal, InputTypedAheadOrPastedIsKeptWholeAndShownOnce)
{
    const struct {
        const char* name;
        std::string before_pause; // typed with the answers, before the pause
        std::string at_pause;     // arriving at once while the pause waits
        std::string waiting;      // the question that then waits for its line to end, as shown
        std::string finish;       // typed a while after
        std::vector<std::string> heights;
        std::vector<std::string> screen; // each seen once, after its prompt
        int refusals;
    } cases[] = {
        // Typed ahead, echoed by the terminal as it was typed: not again.
        {"whole lines typed ahead", "5\n6\n", "", "", "", {"5.000000"}, {height_prompt + " \r\n" + width_prompt}, 0},
        // Part of a line typed ahead ends the pause, and is used once Enter
        // finishes it, as a line typed at the question would be.
        {"part of a line typed ahead",
         "5 6 7",
         "",
         height_prompt,
         "\n",
         {"5.000000"},
         {height_prompt + "\r\n \r\n" + width_prompt + " \r\nDD coil height = 5.000000"},
         0},
        // Pasted at the pause, where nothing is echoed: shown as typed.
        {"a paste at the pause, one line longer than 64 bytes",
         "",
         "101 21\n102.0000000000000000000000000000000000000000000000000000000000000000000000 22\n103 23\n",
         "",
         "",
         {"101.000000", "102.000000", "103.000000"},
         {height_prompt + "101 21\r\n",
          height_prompt + "102.0000000000000000000000000000000000000000000000000000000000000000000000 22\r\n",
          height_prompt + "103 23\r\n"},
         0},
        {"a marked paste at the pause",
         "",
         "\x1b[200~30 10\n40 10\n\x1b[201~",
         "",
         "",
         {"30.000000", "40.000000"},
         {height_prompt + "30 10\r\n", height_prompt + "40 10\r\n"},
         0},
        {"a short paste", "", "150 30\n", "", "", {"150.000000"}, {height_prompt + "150 30\r\n"}, 0},
        // Shown as the terminal's echo would: no escape sequence acts, and
        // DEL is ^?.
        {"a paste with an escape sequence",
         "",
         "5\x1b[2J 6\x7f\n7 8\n",
         "",
         "",
         {"7.000000"},
         {height_prompt + "5^[[2J 6^?\r\nNot a number", height_prompt + "7 8\r\n"},
         1},
        // Keys that came together, finished later: as if typed there.
        {"two keys at once", "", "42", height_prompt + "42", "\n1\n", {"42.000000"}, {height_prompt + "42\r\n"}, 0},
        // Ctrl-D hands over the part of a line before it, as Enter would.
        {"part of a line handed over by Ctrl-D",
         "7 8\x04",
         "",
         height_prompt + " \r\n" + width_prompt,
         "\n",
         {"7.000000"},
         {height_prompt + " \r\n" + width_prompt + "\r\n \r\nDD coil height = 7.000000"},
         0},
        // A paste that comes in two pieces is one paste all the same.
        {"a marked paste in two pieces",
         "",
         "\x1b[200~30",
         height_prompt + "30",
         " 10\n40 10\n\x1b[201~",
         {"30.000000", "40.000000"},
         {height_prompt + "30 10\r\n", height_prompt + "40 10\r\n \r\n" + width_prompt},
         0},
        {"a pair at once, Enter later",
         "",
         "30 10",
         height_prompt + "30 10",
         "\n",
         {"30.000000"},
         {height_prompt + "30 10\r\n \r\n" + width_prompt + " \r\nDD coil height = 30.000000"},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        terminal t = start_on_terminal();
        ASSERT_TRUE(wait_for(t, height_prompt));
        const int waiting_before = c.waiting.empty() ? 0 : seen(t, c.waiting);
        type(t, "100\n20\n" + c.before_pause);
        ASSERT_TRUE(wait_for(t, pause_prompt)) << t.screen;
        if (!c.at_pause.empty()) {
            ASSERT_TRUE(wait_for_waiting_pause(t)) << t.screen;
            type(t, c.at_pause);
        }
        if (!c.waiting.empty()) {
            ASSERT_TRUE(wait_for(t, c.waiting, waiting_before + 1)) << t.screen;
            usleep(2 * 100000); // twice the pause's key_rest_ms
            EXPECT_EQ(seen(t, "DD coil height = "), 1) << "used before its line was finished:\n" << t.screen;
            type(t, c.finish);
        }
        // Each pair's report in order, the pauses between them ended at
        // once by the input already there, then a pause that waits.
        ASSERT_TRUE(wait_for(t, pause_prompt, static_cast<int>(c.heights.size()) + 1)) << t.screen;
        std::size_t at = 0;
        for (const std::string& height : c.heights) {
            at = t.screen.find("DD coil height = " + height, at);
            EXPECT_NE(at, std::string::npos) << height << " missing or out of order:\n" << t.screen;
        }
        for (const std::string& text : c.screen)
            EXPECT_EQ(seen_on_screen(t, text), 1) << text << "\n" << t.screen;
        EXPECT_EQ(seen(t, "Not a number"), c.refusals) << t.screen;
        end(t);
    }
}

TEST_F(Terminal, CtrlDTypedAheadEndsWithoutWaitingForAKey)
{
    const struct {
        const char* typed;
        std::vector<std::string> heights;
    } cases[] = {
        {"100\n20\n\x04", {"100.000000"}},
        // The first Ctrl-D hands over the part of a line before it, the
        // second ends the input.
        {"100\n20\n7 8\x04\x04", {"100.000000", "7.000000"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        terminal t = start_on_terminal();
        ASSERT_TRUE(wait_for(t, height_prompt));
        type(t, c.typed);
        EXPECT_TRUE(exited_with(finish(t), 0)) << t.screen;
        wait_for(t, "never", 1, 200ms);
        EXPECT_TRUE(t.screen.ends_with(pause_prompt + "\r\n")) << t.screen;
        EXPECT_EQ(seen(t, "DD coil height = "), static_cast<int>(c.heights.size())) << t.screen;
        for (const std::string& height : c.heights)
            EXPECT_EQ(seen(t, "DD coil height = " + height), 1) << t.screen;
        close(t.master);
    }
}

// Where the report goes to a file or a pipe, answers pasted at the pause
// are still shown, on the terminal, once each; and nothing meant for the
// terminal (answers, its modes) goes into the report.
TEST_F(Terminal, PastedAnswersShowOnTheTerminalWhereverTheReportGoes)
{
    for (const bool to_pipe : {false, true}) {
        SCOPED_TRACE(to_pipe ? "report to a pipe" : "report to a file");
        int report[2] = {-1, -1};
        if (to_pipe) {
            ASSERT_EQ(pipe(report), 0);
        } else {
            char name[] = "/tmp/vorlane-report-XXXXXX";
            report[0] = report[1] = mkstemp(name);
            unlink(name);
        }
        terminal t = start_on_terminal(start_as::plain, report[1]);
        std::string written;
        std::thread reader;
        if (to_pipe) {
            close(report[1]);
            reader = std::thread([&written, fd = report[0]] {
                written = read_all(fd);
            });
        }
        type(t, "100 20\n");
        ASSERT_TRUE(wait_for(t, marking_on)) << t.screen;
        ASSERT_TRUE(wait_for_pause_mode(t));
        type(t, "\x1b[200~30 10\n40 10\n\x1b[201~");
        ASSERT_TRUE(wait_for(t, "40 10\r\n")) << t.screen;
        usleep(150000);
        type(t, "\x04");
        EXPECT_TRUE(exited_with(finish(t), 0)) << t.screen;
        wait_for(t, "never", 1, 200ms);
        EXPECT_EQ(seen_on_screen(t, "30 10\r\n"), 1) << t.screen;
        EXPECT_EQ(seen_on_screen(t, "40 10\r\n"), 1) << t.screen;
        if (to_pipe) {
            reader.join();
        } else {
            lseek(report[0], 0, SEEK_SET);
            written = read_all(report[0]);
        }
        EXPECT_NE(written.find("DD coil height = 40.000000"), std::string::npos) << written;
        EXPECT_EQ(written.find('\x1b'), std::string::npos) << written;
        EXPECT_EQ(written.find("30 10"), std::string::npos) << written;
        close(report[0]);
        close(t.master);
    }
}

// How many files a process has open (Linux).
int open_files(pid_t pid)
{
    int count = 0;
    if (DIR* folder = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str())) {
        while (readdir(folder) != nullptr)
            ++count;
        closedir(folder);
    }
    return count;
}

TEST_F(Terminal, PausesLeaveNoFileOpen)
{
    terminal t = start_on_terminal();
    answer_first_cycle(t);
    if (HasFatalFailure())
        return;
    const int at_first = open_files(t.pid);
    for (int pauses = 2; pauses <= 20; ++pauses) {
        type(t, "k");
        ASSERT_TRUE(wait_for(t, height_prompt, pauses)) << t.screen;
        type(t, "1 1\n");
        ASSERT_TRUE(wait_for(t, marking_on, pauses)) << t.screen;
        ASSERT_TRUE(wait_for_pause_mode(t));
    }
    EXPECT_EQ(open_files(t.pid), at_first);
    end(t);
}

TEST_F(Terminal, RefusalsStandOnTheirOwnLineAndQuitEnds)
{
    terminal t = start_on_terminal();
    ASSERT_TRUE(wait_for(t, height_prompt));
    // Typed at the prompt: the echoed Enter has ended the line already.
    type(t, "12,5\n");
    ASSERT_TRUE(wait_for(t, height_prompt, 2)) << t.screen;
    EXPECT_NE(t.screen.find(height_prompt + "12,5\r\nNot a number: \"12,5\" "), std::string::npos) << t.screen;
    // Typed ahead with the height: the notice needs a line break first.
    type(t, "100 abc\n");
    ASSERT_TRUE(wait_for(t, width_prompt, 2)) << t.screen;
    EXPECT_NE(t.screen.find(width_prompt + "\r\nNot a number: \"abc\" "), std::string::npos) << t.screen;
    type(t, "QUIT\n");
    EXPECT_TRUE(exited_with(finish(t), 0)) << t.screen;
    close(t.master);
}

TEST_F(Terminal, SettingsAreRestoredWhenThePauseIsInterrupted)
{
    const struct {
        const char* name;
        int signal_number;
        bool from_keyboard;
    } ways[] = {
        {"Ctrl-C", SIGINT, true}, {"SIGTERM", SIGTERM, false}, {"SIGHUP", SIGHUP, false}, {"Ctrl-\\", SIGQUIT, true}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        terminal t = start_on_terminal();
        answer_first_cycle(t);
        if (HasFatalFailure())
            return;
        EXPECT_FALSE(same_settings(settings(t), t.before));
        if (way.from_keyboard)
            type(t, way.signal_number == SIGINT ? "\x03" : "\x1c");
        else
            kill(t.pid, way.signal_number);
        EXPECT_TRUE(ended_by(finish(t), way.signal_number));
        EXPECT_TRUE(same_settings(settings(t), t.before));
        wait_for(t, "never", 1, 200ms);
        EXPECT_TRUE(t.screen.ends_with(marking_off)) << t.screen;
        close(t.master);
    }
}

TEST_F(Terminal, AFailedWriteAtThePauseEndsTheProgram)
{
    int screen[2];
    ASSERT_EQ(pipe(screen), 0);
    terminal t = start_on_terminal(start_as::broken_pipe_ignored, screen[1]);
    close(screen[1]);
    std::string drained;
    ASSERT_TRUE(drain_until(screen[0], &drained, height_prompt));
    close(screen[0]);
    type(t, "100 20\n");
    const int status = finish(t);
    EXPECT_TRUE(exited_with(status, 1)) << "the pause waited, or the error went unreported: " << status;
    EXPECT_TRUE(same_settings(settings(t), t.before));
    end(t);
}

TEST_F(Terminal, AHangupIgnoredAtTheStartStaysIgnored)
{
    terminal t = start_on_terminal(start_as::hangup_ignored);
    answer_first_cycle(t);
    if (HasFatalFailure())
        return;
    kill(t.pid, SIGHUP);
    usleep(100000);
    type(t, "k");
    ASSERT_TRUE(wait_for(t, height_prompt, 2)) << "a hangup ended the pause:\n" << t.screen;
    kill(t.pid, SIGHUP);
    type(t, "\x04");
    EXPECT_TRUE(exited_with(finish(t), 0));
    close(t.master);
}

// What a person and the shell do to the job, and what must follow.
enum class step {
    ctrl_z,  // stopped, and the terminal as the shell had it, echo and line mode on
    fg,      // at the pause: its mode back and its prompt again; at a question: typing shows
    bg,      // continued in the background: stops for the terminal, which it leaves alone
    cont,    // SIGCONT in the foreground: the pause shows its prompt again and goes on
    kill,    // kill %1: ended by SIGTERM
    hang_up, // kill -HUP %1: ended by SIGHUP
    key,     // a key ends the pause
};

TEST_F(Terminal, JobControlAtThePause)
{
    const std::string again = "\r\n" + pause_prompt;
    const struct {
        const char* name;
        std::vector<step> steps;
    } sequences[] = {
        {"Ctrl-Z, fg", {step::ctrl_z, step::fg, step::key}},
        {"Ctrl-Z, bg, fg", {step::ctrl_z, step::bg, step::fg, step::key}},
        {"Ctrl-Z, fg, Ctrl-Z again, fg", {step::ctrl_z, step::fg, step::ctrl_z, step::fg, step::key}},
        {"Ctrl-Z, kill", {step::ctrl_z, step::kill}},
        {"Ctrl-Z, kill -HUP", {step::ctrl_z, step::hang_up}},
        {"Ctrl-Z, bg, kill", {step::ctrl_z, step::bg, step::kill}},
        {"SIGCONT while it waits, then Ctrl-Z, fg", {step::cont, step::ctrl_z, step::fg, step::key}},
        {"Ctrl-Z, fg at a question after the pause", {step::key, step::ctrl_z, step::fg}},
    };
    for (const auto& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        terminal t = start_on_terminal(start_as::job);
        answer_first_cycle(t);
        if (HasFatalFailure())
            return;
        bool at_pause = true;
        bool ended = false;
        for (const step s : sequence.steps) {
            const int prompts = seen(t, again);
            switch (s) {
            case step::ctrl_z:
                type(t, "\x1a");
                ASSERT_EQ(wait_for_stop(t), SIGTSTP);
                EXPECT_TRUE(same_settings(settings(t), t.before)) << "the terminal stayed in pause mode";
                break;
            case step::fg:
                tell(t, job_command::fg);
                if (at_pause) {
                    EXPECT_TRUE(wait_for_pause_mode(t));
                    EXPECT_TRUE(wait_for(t, marking_on + again, seen(t, marking_on + again) + 1)) << t.screen;
                } else {
                    // The question again, on a line of its own.
                    EXPECT_TRUE(wait_for(t, "\r\n" + height_prompt, seen(t, "\r\n" + height_prompt) + 1)) << t.screen;
                    type(t, "4321\n");
                    EXPECT_TRUE(wait_for(t, "4321\r\n")) << "what was typed was not echoed:\n" << t.screen;
                    EXPECT_TRUE(same_settings(settings(t), t.before));
                }
                break;
            case step::bg:
                tell(t, job_command::cont);
                ASSERT_EQ(wait_for_stop(t), SIGTTIN);
                EXPECT_TRUE(same_settings(settings(t), t.before)) << "the terminal was changed in the background";
                EXPECT_EQ(seen(t, again), prompts) << t.screen;
                break;
            case step::cont:
                tell(t, job_command::cont);
                EXPECT_TRUE(wait_for(t, again, prompts + 1)) << t.screen;
                EXPECT_TRUE(wait_for_pause_mode(t));
                break;
            case step::kill:
            case step::hang_up: {
                tell(t, s == step::kill ? job_command::terminate : job_command::hang_up);
                const int signal_number = s == step::kill ? SIGTERM : SIGHUP;
                EXPECT_TRUE(exited_with(finish(t), 128 + signal_number));
                EXPECT_TRUE(same_settings(settings(t), t.before));
                ended = true;
                break;
            }
            case step::key:
                type(t, "k");
                ASSERT_TRUE(wait_for(t, height_prompt, seen(t, height_prompt) + 1)) << t.screen;
                EXPECT_NE(t.screen.find(marking_off + "\r\n \r\n---"), std::string::npos) << t.screen;
                EXPECT_TRUE(same_settings(settings(t), t.before));
                at_pause = false;
                break;
            }
        }
        if (!ended) {
            type(t, "\x04");
            EXPECT_TRUE(exited_with(finish(t), 0)) << t.screen;
        }
        end(t);
    }
}

// The report written, then Ctrl-Z and bg before the pause has begun: the
// pause begins in the background.  The report goes to a pipe that the
// test keeps full, so that the calculator is held in that write when
// Ctrl-Z comes.
TEST_F(Terminal, APauseThatBeginsInTheBackgroundWaitsForFg)
{
    int screen[2];
    ASSERT_EQ(pipe(screen), 0);
    ASSERT_GT(fcntl(screen[1], F_SETPIPE_SZ, 4096), 0);
    const std::string filler(3800, '.');
    ASSERT_EQ(write(screen[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
    terminal t = start_on_terminal(start_as::job, screen[1]);
    close(screen[1]);
    std::string drained;
    int queued = 0;
    for (int i = 0; i < 500 && queued < 3800 + 100; ++i) {
        usleep(10000);
        ioctl(screen[0], FIONREAD, &queued);
    }
    ASSERT_GE(queued, 3800 + 100) << "no header and prompt";
    type(t, "100 20\n");
    const pid_t job = tcgetpgrp(t.master);
    std::string waiting_in;
    for (int i = 0; i < 500 && waiting_in.find("pipe_write") == std::string::npos; ++i) {
        usleep(10000);
        std::ifstream wchan("/proc/" + std::to_string(job) + "/wchan");
        std::getline(wchan, waiting_in);
    }
    ASSERT_NE(waiting_in.find("pipe_write"), std::string::npos) << "not held in its write: " << waiting_in;
    type(t, "\x1a");
    ASSERT_EQ(wait_for_stop(t), SIGTSTP);
    tell(t, job_command::cont);
    ASSERT_TRUE(drain_until(screen[0], &drained, pause_prompt));
    // The pause has begun in the background: it waits for the terminal
    // and leaves it as the shell has it.
    ASSERT_EQ(wait_for_stop(t), SIGTTIN);
    EXPECT_TRUE(same_settings(settings(t), t.before));
    tell(t, job_command::fg);
    // Back in the foreground, the prompt is shown again on the terminal,
    // where the person is; the pipe gets none of it.
    EXPECT_TRUE(wait_for(t, "\r\n" + pause_prompt)) << t.screen;
    EXPECT_TRUE(wait_for_pause_mode(t));
    type(t, "k");
    EXPECT_TRUE(drain_until(screen[0], &drained, height_prompt, 2)) << drained;
    EXPECT_EQ(drained.find('\x1b'), std::string::npos) << drained;
    EXPECT_EQ(drained.find(pause_prompt), drained.rfind(pause_prompt)) << drained;
    EXPECT_TRUE(same_settings(settings(t), t.before));
    type(t, "\x04");
    EXPECT_TRUE(exited_with(finish(t), 0));
    end(t);
    close(screen[0]);
}

} // namespace
