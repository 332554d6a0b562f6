#include "console/stream_io.h"

#include <cerrno>
#include <unistd.h>

long read_some(int fd, char* data, std::size_t size, int* error)
{
    for (;;) {
        const ssize_t n = read(fd, data, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

long write_some(int fd, const char* data, std::size_t size, int* error)
{
    for (;;) {
        const ssize_t n = write(fd, data, size);
        if (n >= 0)
            return static_cast<long>(n);
        if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

bool is_terminal(int fd)
{
    return isatty(fd) == 1;
}
