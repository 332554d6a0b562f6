// The dialogue with the user: header, the two questions, the report, the
// pause, over and over until the input ends.
#ifndef VORLANE_CONSOLE_DIALOGUE_H
#define VORLANE_CONSOLE_DIALOGUE_H

// Runs the dialogue over standard input and output, and returns the exit
// status.  Where the sizes come from a file or a pipe, each refusal, and
// an input that ends after a height without its width, is told on
// standard error too, with its line.
int run_dialogue();

// The same over the given descriptors; the pause waits for a key only
// where input_fd is a terminal.
int run_dialogue_over(int input_fd, int output_fd, int error_fd);

#endif
