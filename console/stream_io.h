// Raw reads and writes on the program's standard streams, under the dialogue's own buffers; one file per platform.
#ifndef VORLANE_CONSOLE_STREAM_IO_H
#define VORLANE_CONSOLE_STREAM_IO_H

#include <cstddef>

// Reads up to size bytes, waiting for one also where a parent made fd non-blocking; the count, 0 at the end, or -1.
long read_some(int fd, char* data, std::size_t size, int* error);

// Writes at least one of size bytes, waiting the same way.  Returns the count, or -1 with *error set.
long write_some(int fd, const char* data, std::size_t size, int* error);

using write_function = long (*)(int fd, const char* data, std::size_t size, int* error);

// Writes all of size bytes, however few each call of write moves; false with *error set on failure.
bool write_all(int fd, const char* data, std::size_t size, int* error, write_function write = write_some);

// Writes to fd go out byte for byte (on Windows the C runtime would turn each "\n" into "\r\n").
void keep_line_ends(int fd);

// Whether fd is a terminal (a console on Windows): someone may be there to press a key.
bool is_terminal(int fd);

#endif
