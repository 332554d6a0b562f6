#include "console/stream_io.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <io.h>
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// The CRT's text mode is kept on purpose: it turns the report's "\n" into the "\r\n" that Windows consoles and editors
// expect, and a console's "\r\n" back into "\n" (the reader takes "\r" as white space anyway).

long read_some(int fd, char* data, std::size_t size, int* error) {
    const unsigned chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    const int n = _read(fd, data, chunk);
    if (n < 0) {
        *error = errno;
        return -1;
    }
    return n;
}

long write_some(int fd, const char* data, std::size_t size, int* error) {
    const unsigned chunk = size > INT_MAX ? INT_MAX : static_cast<unsigned>(size);
    const int n = _write(fd, data, chunk);
    if (n < 0) {
        *error = errno;
        return -1;
    }
    return n;
}

void keep_line_ends(int fd) { _setmode(fd, _O_BINARY); }

bool is_terminal(int fd) {
    // A console, not merely a character device: _isatty says yes to NUL.
    DWORD mode = 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}
