// The program as a process: exit statuses, write and read errors, signals
// and memory, on the real standard streams.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "child_process.h"
#include "transcript.h"

namespace {

using namespace child;

struct finished {
    int status; // as from waitpid, -1 if it had to be killed
    long max_rss_kb;
    std::string errors;
};

// Runs the calculator with the given standard input and output, and
// standard error collected; what says how it was run, for the message
// should it hang.  With a feed, in is the read end of a pipe whose write
// end feed_fd the feed fills from a thread.
finished run(int in, int out, const std::string& what, const std::vector<std::string>& arguments = {},
             bool ignore_sigpipe = false, void (*feed)(int) = nullptr, int feed_fd = -1) {
    int errors = -1;
    const pid_t pid = start_program(arguments, in, out, &errors, ignore_sigpipe);
    std::thread feeder;
    if (feed != nullptr) {
        // The feeder must see the pipe close when the program ends, with
        // EPIPE rather than a signal that would end this test.
        close(in);
        signal(SIGPIPE, SIG_IGN);
        feeder = std::thread(feed, feed_fd);
    }
    finished f;
    std::thread collector([&] { f.errors = read_all(errors); });
    rusage usage = {};
    f.status = wait_for_exit(pid, what, &usage);
    collector.join();
    close(errors);
    if (feeder.joinable()) feeder.join();
    f.max_rss_kb = usage.ru_maxrss;
    return f;
}

int file_with(const std::string& text) {
    char name[] = "/tmp/vorlane-input-XXXXXX";
    const int fd = mkstemp(name);
    unlink(name);
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    lseek(fd, 0, SEEK_SET);
    return fd;
}

// vorlane --help and --version, word for word: when their texts change,
// here is where the test learns it.
const std::string help_text = "Usage: vorlane [--csv]\n"
                              "       vorlane < sizes.txt > report.txt\n"
                              "       vorlane --csv < sizes.txt > sizes.csv\n"
                              "\n"
                              "Works out the winding of a DD coil: from the coil height and the window\n"
                              "width, the four side lengths, their total, and the diameter of the round\n"
                              "spool mandrel whose circumference equals that total.\n"
                              "\n"
                              "Type the two sizes at the prompts (both may stand on one line); after the\n"
                              "report, any key asks again.  Or give a table of sizes on standard input,\n"
                              "two numbers per coil: it runs straight through, without pausing.\n"
                              "\n"
                              "To end it, press Ctrl-D (on Windows Ctrl-Z, then Enter) or Ctrl-C, or\n"
                              "type one of these words where a number is asked for, in any letter case:\n"
                              "  q, quit, exit\n"
                              "\n"
                              "      --csv      write a table for spreadsheets instead: CSV, a header\n"
                              "                 row, then one row of figures per coil\n"
                              "  -h, --help     show this text (also /?)\n"
                              "      --version  show the version\n"
                              "\n"
                              "Exit status:\n"
                              " 0  the input ended, or a quit word came, and nothing was refused\n"
                              " 1  the input could not be read, or the report could not be written\n"
                              " 2  an argument it does not take\n"
                              " 3  sizes from a file or a pipe, or for --csv, were refused, or the input ended\n"
                              "    after a coil height without its window width\n"
                              "\n"
                              "The manual: man vorlane (on Windows, README.txt beside vorlane.exe).\n";
// As GNU programs print it.
const std::string version_text = "vorlane " VORLANE_VERSION "\n"
                                 "Copyright (C) 2026 The Vorlane developers.\n"
                                 "License MIT: <https://opensource.org/license/mit>.\n"
                                 "This is free software: you are free to change and redistribute it.\n"
                                 "There is NO WARRANTY, to the extent permitted by law.\n";

// What a script sees: both streams and the status, for the arguments and
// for input that is refused.
TEST(Process, ArgumentsInputAndTheExitStatus) {
    using namespace transcript;
    const std::string try_help = "Try 'vorlane --help' for more information.\n";
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string output;                   // exactly, or
        std::vector<std::string> output_says; // the words it holds
        std::string errors;                   // exactly, or
        std::vector<std::string> errors_say;  // the words of its one line
    } cases[] = {
        {{}, "100 20\n", 0, cycle(figures_100_by_20()) + transcript::ending(), {}, "", {}},
        {{"--version"}, "100 20\n", 0, version_text, {}, "", {}},
        {{"--version", "sizes.txt"}, "", 0, version_text, {}, "", {}},
        {{"--"}, "100 20\n", 0, cycle(figures_100_by_20()) + transcript::ending(), {}, "", {}},
        {{"--help"}, "100 20\n", 0, help_text, {}, "", {}},
        {{"-h"}, "", 0, help_text, {}, "", {}},
        {{"/?"}, "", 0, help_text, {}, "", {}},
        // The likeliest first mistake with a table of sizes, whose name may
        // hold a blank.
        {{"sizes 2.txt"},
         "100 20\n",
         2,
         "",
         {},
         "vorlane: unexpected argument \"sizes 2.txt\" (sizes are read from standard input: vorlane < sizes.txt)\n" +
             try_help,
         {}},
        {{"--frobnicate"}, "", 2, "", {}, "", {"\"--frobnicate\"", try_help}},
        {{"-"}, "", 2, "", {}, "", {"\"-\""}},
        {{"--", "--help"}, "", 2, "", {}, "", {"\"--help\"", try_help}},
        {{"--csv", "sizes.txt"}, "", 2, "", {}, "", {"\"sizes.txt\""}},
        {{"\x1b[2Jwipe"}, "", 2, "", {}, "", {"\"?[2Jwipe\""}},
        // Lines counted past nine; an input that ends inside an escape
        // sequence ends, the sequence refused.
        {{},
         std::string(11, '\n') + "x\n100 20\n\x1b[",
         3,
         "",
         {"DD coil height = 100.000000"},
         refusal_error(12, "x") + refusal_error(14, "?["),
         {}},
        // More than blanks went with the refused token, and blanks after them.
        {{},
         "abc def \n100 20\n",
         3,
         header() + height_prompt + refusal("abc", true) + height_prompt + spacer + width_prompt + spacer +
             report(figures_100_by_20()) + ending(),
         {},
         refusal_error(1, "abc"),
         {}},
        // A broken table: the same report, the refusals told, and a status
        // that says so.
        {{},
         "100 20\n12,5 7\n150 30\n150",
         3,
         cycle(figures_100_by_20()) + header() + height_prompt + refusal("12,5", true) + height_prompt + spacer +
             width_prompt + spacer +
             report({"150.000000", "30.000000", "15.000000", "235.619449", "120.000000", "23.561945", "23.561945",
                     "402.743339", "128.197186"}) +
             header() + height_prompt + spacer + width_prompt + "\n",
         {},
         refusal_error(2, "12,5") + unfinished_error(4, "150.000000"),
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? std::string("no argument") : c.arguments[0]);
        const int in = file_with(c.input);
        const int out = file_with("");
        const finished f = run(in, out, "with its input from a file", c.arguments);
        lseek(out, 0, SEEK_SET);
        const std::string output = read_all(out);
        EXPECT_TRUE(exited_with(f.status, c.status)) << f.status;
        if (c.output_says.empty()) {
            EXPECT_EQ(output, c.output);
        }
        for (const std::string& words : c.output_says)
            EXPECT_NE(output.find(words), std::string::npos) << words << " missing from\n" << output;
        if (c.errors_say.empty())
            EXPECT_EQ(f.errors, c.errors);
        else
            EXPECT_TRUE(f.errors.ends_with("\n")) << f.errors;
        for (const std::string& words : c.errors_say)
            EXPECT_NE(f.errors.find(words), std::string::npos) << words << " missing from " << f.errors;
        close(in);
        close(out);
    }
}

// A parent may leave the streams it hands over non-blocking.  The program
// waits for them rather than fail: a writer that comes late, a reader that
// takes a few KB at a time, and nothing is lost.
TEST(Process, NonBlockingStreamsLoseNothing) {
    int in_pipe[2];
    int out_pipe[2];
    ASSERT_EQ(pipe(in_pipe), 0);
    ASSERT_EQ(pipe(out_pipe), 0);
    ASSERT_EQ(fcntl(in_pipe[0], F_SETFL, O_NONBLOCK), 0);
    ASSERT_EQ(fcntl(out_pipe[1], F_SETFL, O_NONBLOCK), 0);
    int errors = -1;
    const pid_t pid = start_program({}, in_pipe[0], out_pipe[1], &errors);
    close(in_pipe[0]);
    close(out_pipe[1]);
    signal(SIGPIPE, SIG_IGN); // should the program end early, the writer sees EPIPE
    std::thread writer([fd = in_pipe[1]] {
        usleep(400000);
        for (int i = 0; i < 2000; ++i) {
            if (write(fd, "100 20\n", 7) != 7) break;
            if (i % 100 == 0) usleep(2000);
        }
        close(fd);
    });
    std::string output;
    std::thread reader([&output, fd = out_pipe[0]] {
        char chunk[3000];
        ssize_t n;
        while ((n = read(fd, chunk, sizeof chunk)) > 0) {
            output.append(chunk, static_cast<std::size_t>(n));
            usleep(200);
        }
    });
    rusage usage = {};
    const int status = wait_for_exit(pid, "with its input and output on non-blocking pipes", &usage);
    writer.join();
    reader.join();
    close(out_pipe[0]);
    EXPECT_TRUE(exited_with(status, 0)) << status;
    // Waited for, not spun on: the idle 0.4 s at the start cost nothing.
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    EXPECT_LT(cpu, 0.2) << "CPU seconds";
    EXPECT_EQ(read_all(errors), "");
    close(errors);
    std::string expected;
    for (int i = 0; i < 2000; ++i) expected += transcript::cycle(transcript::figures_100_by_20());
    EXPECT_TRUE(output == expected + transcript::ending()) << output.size() << " bytes of " << expected.size() + 1;
}

TEST(Process, AFullDiskIsAWriteError) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"--csv"}, {"--help"}, {"--version"}}) {
        SCOPED_TRACE(arguments.empty() ? "the dialogue" : arguments[0]);
        const int in = file_with("100 20\n");
        const int full = open("/dev/full", O_WRONLY);
        ASSERT_GE(full, 0);
        const finished f = run(in, full, "with its output on /dev/full", arguments);
        EXPECT_TRUE(exited_with(f.status, 1));
        EXPECT_EQ(f.errors, std::string("vorlane: write error: ") + std::strerror(ENOSPC) + "\n");
        close(in);
        close(full);
    }
}

// With both streams on one file (2>&1), each line of standard error
// follows the report it is about.
TEST(Process, ErrorsFollowTheReportOnOneStream) {
    const int in = file_with("100 20\n12,5 7\n");
    const int both = file_with("");
    const pid_t pid = start_program({}, in, both, nullptr);
    EXPECT_TRUE(exited_with(wait_for_exit(pid, "with its input from a file"), 3));
    lseek(both, 0, SEEK_SET);
    const std::string written = read_all(both);
    const std::size_t notice = written.find("Not a number: \"12,5\"");
    const std::size_t error = written.find("vorlane: line 2: not a number");
    EXPECT_NE(notice, std::string::npos) << written;
    EXPECT_NE(error, std::string::npos) << written;
    EXPECT_LT(notice, error) << written;
    close(in);
    close(both);
}

TEST(Process, AClosedPipe) {
    for (const bool ignored : {true, false}) {
        SCOPED_TRACE(ignored ? "SIGPIPE ignored" : "SIGPIPE default");
        int out_pipe[2];
        ASSERT_EQ(pipe(out_pipe), 0);
        close(out_pipe[0]);
        // Endless input: only the failing write can end the run.
        int in_pipe[2];
        ASSERT_EQ(pipe(in_pipe), 0);
        const finished f = run(
            in_pipe[0], out_pipe[1], "with its output on a pipe that nothing reads", {}, ignored,
            [](int fd) {
                const std::string pairs = "100 20\n";
                while (write(fd, pairs.data(), pairs.size()) > 0) {}
                close(fd);
            },
            in_pipe[1]);
        close(out_pipe[1]);
        if (ignored) {
            EXPECT_TRUE(exited_with(f.status, 1));
            EXPECT_EQ(f.errors, std::string("vorlane: write error: ") + std::strerror(EPIPE) + "\n");
        } else {
            EXPECT_TRUE(ended_by(f.status, SIGPIPE));
        }
    }
}

TEST(Process, AReadErrorIsReported) {
    const int directory = open("/", O_RDONLY | O_DIRECTORY);
    const int out = open("/dev/null", O_WRONLY);
    const finished f = run(directory, out, "with a directory as its input");
    EXPECT_TRUE(exited_with(f.status, 1));
    EXPECT_EQ(f.errors, std::string("vorlane: read error: ") + std::strerror(EISDIR) + "\n");
    close(directory);
    close(out);
}

// Writes the text to the program's input, or as much as it takes before
// it ends: a write fails only when the program has gone, which its status
// tells.
bool feed_text(int fd, std::string_view text) {
    ssize_t n = 0;
    while (!text.empty() && (n = write(fd, text.data(), text.size())) > 0)
        text.remove_prefix(static_cast<std::size_t>(n));
    return text.empty();
}

// Feeds a line of the given size, then one pair, through a pipe.
template <std::size_t megabytes> void feed_long_line(int fd) {
    const std::string chunk(1 << 20, 'x');
    for (std::size_t i = 0; i < megabytes; ++i)
        if (!feed_text(fd, chunk)) break;
    feed_text(fd, "\n100 20\n");
    close(fd);
}

template <int pairs> void feed_pairs(int fd) {
    std::string text;
    for (int i = 0; i < pairs; ++i)
        text += std::to_string(20 + i % 380) + "." + std::to_string(i % 100) + " " + std::to_string(2 + i % 148) + "\n";
    feed_text(fd, text);
    close(fd);
}

// The long line is refused, and says so in the status.
long peak_memory_kb(void (*feed)(int), int status, const std::string& input) {
    int in_pipe[2];
    if (pipe(in_pipe) != 0) std::abort();
    const int out = open("/dev/null", O_WRONLY);
    const finished f =
        run(in_pipe[0], out, "with " + input + " through a pipe as its input", {}, false, feed, in_pipe[1]);
    close(out);
    EXPECT_TRUE(exited_with(f.status, status)) << f.errors;
    return f.max_rss_kb;
}

TEST(Process, MemoryDoesNotGrowWithTheInput) {
    const long small = peak_memory_kb(feed_long_line<1>, 3, "a line of 1 MiB and a pair");
    const long huge = peak_memory_kb(feed_long_line<128>, 3, "a line of 128 MiB and a pair");
    EXPECT_LT(huge, small + 1024) << "a 128 MiB line took " << huge << " KiB, a 1 MiB one " << small;
    const long few = peak_memory_kb(feed_pairs<1000>, 0, "1,000 pairs");
    const long many = peak_memory_kb(feed_pairs<200000>, 0, "200,000 pairs");
    EXPECT_LT(many, few + 1024) << "200,000 pairs took " << many << " KiB, 1,000 took " << few;
#if !defined(VORLANE_SANITIZED) // the sanitizers' shadow memory is not the program's
    EXPECT_LT(many, 8 * 1024);
#endif
}

} // namespace
