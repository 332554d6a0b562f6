#include "console/stream_io.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// A non-blocking stream that has nothing for us yet, or no room: wait until
// it is ready, rather than take "try again" for an error.  Whatever poll
// says, the next read or write tells.
void wait_until_ready(int fd, short events) {
    pollfd ready = {fd, events, 0};
    while (poll(&ready, 1, -1) < 0 && errno == EINTR) {}
}

bool must_wait(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

} // namespace

long read_some(int fd, char* data, std::size_t size, int* error) {
    for (;;) {
        const ssize_t n = read(fd, data, size);
        if (n >= 0) return static_cast<long>(n);
        if (must_wait(errno))
            wait_until_ready(fd, POLLIN);
        else if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

long write_some(int fd, const char* data, std::size_t size, int* error) {
    for (;;) {
        const ssize_t n = write(fd, data, size);
        if (n >= 0) return static_cast<long>(n);
        if (must_wait(errno))
            wait_until_ready(fd, POLLOUT);
        else if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

void keep_line_ends(int) {}

bool is_terminal(int fd) { return isatty(fd) == 1; }
