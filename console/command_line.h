// The command line: without arguments the dialogue runs; --help (-h) and
// --version answer and end; any other argument is refused.
#ifndef VORLANE_CONSOLE_COMMAND_LINE_H
#define VORLANE_CONSOLE_COMMAND_LINE_H

// Returns the exit status.
int run_command(int argc, const char* const* argv);

#endif
