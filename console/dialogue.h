// The dialogue: header, questions, report and pause until the input ends; or a table of the same sizes, for scripts.
#ifndef VORLANE_CONSOLE_DIALOGUE_H
#define VORLANE_CONSOLE_DIALOGUE_H

enum class report_form { dialogue, table };

// Runs it on standard input and output, or the given descriptors, and returns the exit status.  Sizes from a file or a
// pipe, and tables, also have refusals and a height without its width told on standard error.
int run_dialogue(report_form form = report_form::dialogue);
int run_dialogue_over(int input_fd, int output_fd, int error_fd, report_form form = report_form::dialogue);

#endif
