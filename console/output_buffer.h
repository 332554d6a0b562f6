// The report on its way to standard output: text is gathered in one large
// buffer and written with few system calls.  A failed write is kept, not
// retried, and everything after it is dropped, so the dialogue can stop at
// its next step and say why.
#ifndef VORLANE_CONSOLE_OUTPUT_BUFFER_H
#define VORLANE_CONSOLE_OUTPUT_BUFFER_H

#include <cstddef>
#include <cstring>
#include <string_view>

#include "console/fixed6.h"

inline constexpr std::size_t output_capacity = std::size_t{1} << 16;

// Room that put_number may need for one number.
inline constexpr std::size_t number_room = fixed6_max_length;

struct output_buffer {
    int fd;
    int error; // 0 until a write fails, then that write's error number
    std::size_t used;
    char data[output_capacity];
};

void init_output(output_buffer& out, int fd);

// Writes out what is gathered.  Returns false once any write has failed.
bool flush_output(output_buffer& out);

// Makes sure that room bytes fit behind what is gathered (room is at most
// output_capacity).
inline void reserve_output(output_buffer& out, std::size_t room)
{
    if (output_capacity - out.used < room)
        flush_output(out);
}

void put_text_flushing(output_buffer& out, std::string_view text);

inline void put_text(output_buffer& out, std::string_view text)
{
    if (output_capacity - out.used < text.size()) {
        put_text_flushing(out, text);
        return;
    }
    std::memcpy(out.data + out.used, text.data(), text.size());
    out.used += text.size();
}

// Appends one number in the "%lf" form.
void put_number(output_buffer& out, double value);

#endif
