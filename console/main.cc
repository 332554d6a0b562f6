#include "console/command_line.h"

int main(int argc, char** argv) { return run_command(argc, argv); }
