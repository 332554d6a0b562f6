// The report on its way to standard output: text is gathered in one large
// buffer and written with few system calls.  A failed write is kept, not
// retried, and everything after it is dropped, so the dialogue can stop at
// its next step and say why.
#ifndef VORLANE_CONSOLE_STREAM_OUTPUT_H
#define VORLANE_CONSOLE_STREAM_OUTPUT_H

#include <cstddef>
#include <cstring>
#include <string_view>

#include "console/stream_io.h"

inline constexpr std::size_t output_capacity = std::size_t{1} << 16;

struct output_buffer {
    int fd;
    write_function write;
    int error; // 0 until a write fails, then that write's error number
    // Whether the last byte written was a newline, when the buffer was
    // last emptied.
    bool flushed_at_line_start;
    std::size_t used;
    char data[output_capacity];
};

void init_output(output_buffer& out, int fd, write_function write = write_some);

// Writes out what is gathered.  Returns false once any write has failed.
bool flush_output(output_buffer& out);

// Makes sure that room bytes fit behind what is gathered; room is at most
// output_capacity.
inline void reserve_output(output_buffer& out, std::size_t room) {
    if (output_capacity - out.used < room) flush_output(out);
}

// Appends text, which is at most output_capacity bytes: every text of the
// dialogue is far smaller.
inline void put_text(output_buffer& out, std::string_view text) {
    reserve_output(out, text.size());
    std::memcpy(out.data + out.used, text.data(), text.size());
    out.used += text.size();
}

// Whether what is written so far leaves the cursor at the start of a line.
inline bool at_line_start(const output_buffer& out) {
    return out.used > 0 ? out.data[out.used - 1] == '\n' : out.flushed_at_line_start;
}

#endif
