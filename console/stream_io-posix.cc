#include "console/stream_io.h"

#include <cerrno>
#include <poll.h>
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

readiness wait_readable(int fd, int wait_ms, int* error)
{
    pollfd ready = {fd, POLLIN, 0};
    const int n = poll(&ready, 1, wait_ms < 0 ? -1 : wait_ms);
    if (n > 0)
        return readiness::ready; // POLLHUP and POLLERR too: the read tells
    if (n == 0)
        return readiness::timed_out;
    if (errno == EINTR)
        return readiness::interrupted;
    *error = errno;
    return readiness::failed;
}

bool is_terminal(int fd)
{
    return isatty(fd) == 1;
}
