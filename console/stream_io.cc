#include "console/stream_io.h"

#include <cerrno>
#include <cstring>

bool write_all(int fd, const char* data, std::size_t size, int* error, write_function write) {
    while (size > 0) {
        const long n = write(fd, data, size, error);
        if (n < 0) return false;
        if (n == 0) {
            // A write that moves nothing would loop forever; call it what the disk-full case would have said.
            *error = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}
