#include "console/stream_io.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// Whether a failed call is tried again: interrupted, or a non-blocking stream not ready, which is waited for (whatever
// poll says, the next call tells).  Else *error is set.
bool try_again(int fd, short events, int* error) {
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
        pollfd ready = {fd, events, 0};
        while (poll(&ready, 1, -1) < 0 && errno == EINTR) {}
        return true;
    }
    if (errno == EINTR) return true;
    *error = errno;
    return false;
}

} // namespace

long read_some(int fd, char* data, std::size_t size, int* error) {
    for (;;) {
        const ssize_t n = read(fd, data, size);
        if (n >= 0 || !try_again(fd, POLLIN, error)) return static_cast<long>(n);
    }
}

long write_some(int fd, const char* data, std::size_t size, int* error) {
    for (;;) {
        const ssize_t n = write(fd, data, size);
        if (n >= 0 || !try_again(fd, POLLOUT, error)) return static_cast<long>(n);
    }
}

void keep_line_ends(int) {}

bool is_terminal(int fd) { return isatty(fd) == 1; }
