// The report on its way to standard output, gathered in one large buffer for few system calls.  A failed write is kept,
// not retried, and all after it dropped, so that the dialogue can stop at its next step and say why.
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
    int error;                  // 0 until a write fails, then that write's error number
    bool flushed_at_line_start; // the last byte flushed was a newline
    std::size_t used;
    char data[output_capacity];
};

void init_output(output_buffer& out, int fd, write_function write = write_some);

// Writes out what is gathered.  Returns false once any write has failed.
bool flush_output(output_buffer& out);

// Appends text of at most output_capacity bytes, as every text of the dialogue is.
inline void put_text(output_buffer& out, std::string_view text) {
    if (output_capacity - out.used < text.size()) flush_output(out);
    std::memcpy(out.data + out.used, text.data(), text.size());
    out.used += text.size();
}

// Whether what is written so far leaves the cursor at the start of a line.
inline bool at_line_start(const output_buffer& out) {
    return out.used > 0 ? out.data[out.used - 1] == '\n' : out.flushed_at_line_start;
}

#endif
