// The calculator as a child of the test: on pipes and files, or on a
// pseudo-terminal whose other end the test holds, typing as a person would
// and reading the screen, and, under job control, beside a parent that
// does what a shell does.  Every wait has a limit and fails when it runs
// out, so that no test hangs.
#ifndef VORLANE_TESTS_CHILD_PROCESS_H
#define VORLANE_TESTS_CHILD_PROCESS_H

#include <chrono>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <termios.h>
#include <vector>

namespace child {

using namespace std::chrono_literals;

// The status of a child as waitpid gives it, or -1 if it was still
// running when the time was up; then it has been killed.
int wait_for_exit(pid_t pid, std::chrono::milliseconds limit = 5000ms, rusage* usage = nullptr);

bool exited_with(int status, int code);
bool ended_by(int status, int signal_number);

// The calculator with the given arguments, its standard input and output
// on in and out and its standard error on a pipe, whose read end comes
// back in *errors, or with out if errors is null.  Only the three standard
// streams are open in it.
pid_t start_program(const std::vector<std::string>& arguments, int in, int out, int* errors,
                    bool ignore_sigpipe = false);

// Everything that fd gives until its end.
std::string read_all(int fd);

// The calculator at a terminal.
struct terminal {
    int master = -1;
    pid_t pid = -1;      // the calculator, or, under job control, the shell-like parent
    termios before = {}; // the terminal's settings before it started
    std::string screen;  // everything written to the terminal so far
    // Under job control: commands to the parent, and what it reports.
    int commands = -1;
    int reports = -1;
};

enum class start_as { plain, hangup_ignored, broken_pipe_ignored, job };

// Why no pseudo-terminal can be had here (a root without /dev/pts), or
// nothing where one can.
std::string why_no_terminal();

// The calculator on a new pseudo-terminal, its standard output there too
// or on output.  As a job, it runs in a process group of its own in the
// terminal's foreground, beside a parent in the same session that takes
// the terminal back when the job stops, leaving the terminal's settings
// as they are, and hands it over again on fg.
terminal start_on_terminal(start_as how = start_as::plain, int output = -1);

// Reads the screen until text has appeared count times in all, or the
// time is up.
bool wait_for(terminal& t, const std::string& text, int count = 1, std::chrono::milliseconds limit = 5000ms);

// How often text has appeared on the screen.
int seen(const terminal& t, const std::string& text);

void type(terminal& t, const std::string& keys);

termios settings(const terminal& t);
bool same_settings(const termios& a, const termios& b);
// Waits until the terminal's settings are wanted.
bool wait_for_settings(const terminal& t, const termios& wanted);
// Waits until the calculator has put the terminal in its pause mode.
bool wait_for_pause_mode(const terminal& t);

// The exit status, as wait_for_exit, of the calculator (of the parent,
// under job control, which exits with the job's status, or 128 and the
// signal that ended it).
int finish(terminal& t, std::chrono::milliseconds limit = 5000ms);
void end(terminal& t);

// Job control, as a shell's commands do it.
enum class job_command : char {
    fg = 'f',        // give the job the terminal, and continue it
    cont = 'c',      // continue it, the terminal left where it is: bg, or SIGCONT at any moment
    terminate = 't', // kill %1: SIGTERM, then SIGCONT
    hang_up = 'h',   // kill -HUP %1: SIGHUP, then SIGCONT
};
void tell(terminal& t, job_command command);
// Waits until the parent reports that the job has stopped, and says by
// which signal (0 if the time ran out).
int wait_for_stop(terminal& t, std::chrono::milliseconds limit = 5000ms);

} // namespace child

#endif
