// The write loop under writes that move only part of what they are given.
#include "console/stream_io.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string written;
std::size_t fail_after; // bytes the device takes before it fails

long trickle(int, const char* data, std::size_t size, int* error) {
    if (written.size() >= fail_after) {
        *error = EIO;
        return -1;
    }
    const std::size_t n = size < 3 ? size : 3;
    written.append(data, n);
    return static_cast<long>(n);
}

long write_nothing(int, const char*, std::size_t, int*) { return 0; }

TEST(WriteAll, WritesEveryByteOnceThroughPartialWrites) {
    std::string text;
    for (int i = 0; i < 1000; ++i) text += std::to_string(i) + ' ';
    written.clear();
    fail_after = std::string::npos;
    int error = 0;
    EXPECT_TRUE(write_all(1, text.data(), text.size(), &error, trickle));
    EXPECT_EQ(written, text);
    EXPECT_EQ(error, 0);

    // A device that fails part way: the error, and nothing sent twice.
    written.clear();
    fail_after = 10;
    EXPECT_FALSE(write_all(1, text.data(), text.size(), &error, trickle));
    EXPECT_EQ(error, EIO);
    EXPECT_EQ(written, text.substr(0, 12));

    // A write that moves nothing would never end: it is a full device.
    error = 0;
    EXPECT_FALSE(write_all(1, text.data(), text.size(), &error, write_nothing));
    EXPECT_EQ(error, ENOSPC);
}

} // namespace
