#include "console/stream_io.h"

#include <cerrno>
#include <climits>
#include <cstring>
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

bool write_all(int fd, const char* data, std::size_t size, int* error)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        if (n == 0) {
            // A write that moves nothing would loop forever; call it what
            // the disk-full case would have said.
            *error = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool is_terminal(int fd)
{
    return isatty(fd) == 1;
}

const char* describe_error(int error)
{
    return std::strerror(error);
}
