#include "console/stream_io.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <io.h>

// The CRT's text mode is kept on purpose: it turns the report's "\n" into
// the "\r\n" that Windows consoles and editors expect, and a console's
// "\r\n" back into "\n" (the reader takes "\r" as white space anyway).

long read_some(int fd, char* data, std::size_t size, int* error)
{
    const unsigned chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    const int n = _read(fd, data, chunk);
    if (n < 0) {
        *error = errno;
        return -1;
    }
    return n;
}

long write_some(int fd, const char* data, std::size_t size, int* error)
{
    const unsigned chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    const int n = _write(fd, data, chunk);
    if (n < 0) {
        *error = errno;
        return -1;
    }
    return n;
}

bool is_terminal(int fd)
{
    return _isatty(fd) != 0;
}

const char* describe_error(int error)
{
    return std::strerror(error);
}
