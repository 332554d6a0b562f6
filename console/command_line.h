// The command line.  Without arguments the dialogue runs; --help (-h) and
// --version answer on standard output and end; any other argument is
// refused, with a word on how sizes are given.
#ifndef VORLANE_CONSOLE_COMMAND_LINE_H
#define VORLANE_CONSOLE_COMMAND_LINE_H

// Runs what the arguments ask for and returns the exit status.
int run_command(int argc, const char* const* argv);

#endif
