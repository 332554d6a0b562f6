// The output buffer over a device that fails once and then would work
// again: after the failure nothing more is written, so that what did get
// out is an exact beginning of the report, not one with a hole in it.
#include "console/stream_output.h"

#include <cerrno>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string written;
int calls;

long fails_at_the_second_write(int, const char* data, std::size_t size, int* error) {
    if (++calls == 2) {
        *error = EIO;
        return -1;
    }
    written.append(data, size);
    return static_cast<long>(size);
}

TEST(StreamOutput, AfterAFailedWriteNothingMoreIsWritten) {
    const auto out = std::make_unique<output_buffer>();
    init_output(*out, 1, fails_at_the_second_write);
    written.clear();
    calls = 0;
    for (const char* part : {"first ", "second ", "third "}) {
        put_text(*out, part);
        flush_output(*out);
    }
    EXPECT_EQ(written, "first ");
    EXPECT_EQ(out->error, EIO);
    EXPECT_FALSE(flush_output(*out));
}

} // namespace
