// The calculator as a child of the test, on pipes and files.  Every wait
// has a limit and fails when it runs out, so that no test hangs.  (At a
// terminal, terminal_test.py runs it as a person does.)
#ifndef VORLANE_TESTS_CHILD_PROCESS_H
#define VORLANE_TESTS_CHILD_PROCESS_H

#include <chrono>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
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

} // namespace child

#endif
