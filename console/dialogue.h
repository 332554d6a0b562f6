// The dialogue: header, the two questions, the report and the pause, over
// and over until the input ends; or, for spreadsheets and scripts, a table
// of the same sizes read the same way (no question, no pause).
#ifndef VORLANE_CONSOLE_DIALOGUE_H
#define VORLANE_CONSOLE_DIALOGUE_H

enum class report_form { dialogue, table };

// Runs it over standard input and output, or the given descriptors, and
// returns the exit status.  For sizes from a file or a pipe, and a table,
// refusals and a height without its width are told on standard error too.
int run_dialogue(report_form form = report_form::dialogue);
int run_dialogue_over(int input_fd, int output_fd, int error_fd, report_form form = report_form::dialogue);

#endif
