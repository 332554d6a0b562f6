// The dialogue with the user: header, the two questions, the report, the
// pause, over and over until the input ends.  Or, for spreadsheets and
// scripts, the same sizes read the same way, and a table written of them.
#ifndef VORLANE_CONSOLE_DIALOGUE_H
#define VORLANE_CONSOLE_DIALOGUE_H

// dialogue: the questions, the report and the pause.  table: a CSV header
// row, then a row of figures per coil, with no question and no pause, also
// at a terminal.
enum class report_form { dialogue, table };

// Runs the dialogue over standard input and output, and returns the exit
// status.  Where the sizes come from a file or a pipe, or a table is
// written, each refusal, and an input that ends after a height without its
// width, is told on standard error, with its line.
int run_dialogue(report_form form = report_form::dialogue);

// The same over the given descriptors; the pause waits for a key only
// where input_fd is a terminal.
int run_dialogue_over(int input_fd, int output_fd, int error_fd, report_form form = report_form::dialogue);

#endif
