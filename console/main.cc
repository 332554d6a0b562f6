#include "console/dialogue.h"

// No option, argument or environment variable is read.
int main()
{
    return run_dialogue();
}
