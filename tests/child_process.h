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

// How long a wait for the program may take before it counts as a hang.
// Only a hang comes near it: on two cores at a load of 24 the slowest run
// seen took 2 s, and 23 s under the sanitizers (a line of 128 MiB).  Well
// within ctest's limit per test, so that a hang is told here rather than
// cut short there.
#if defined(VORLANE_SANITIZED)
inline constexpr std::chrono::seconds hang_limit = 240s;
#else
inline constexpr std::chrono::seconds hang_limit = 40s;
#endif

// The status of a child as waitpid gives it.  If it is still running at
// hang_limit, the test fails saying so and how the program was run (what:
// "with ..."), the child is killed, and -1 comes back.
int wait_for_exit(pid_t pid, const std::string& what, rusage* usage = nullptr);

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
