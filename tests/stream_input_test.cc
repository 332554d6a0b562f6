// The reader on its own: tokens across its buffer's edges, lines skipped,
// and paste markers cut between reads.
#include "console/stream_input.h"

#include <cstdio>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#if defined(_WIN32)
#define fileno _fileno
#endif

namespace {

struct reader_on_file {
    std::FILE* file = std::tmpfile();
    std::unique_ptr<token_reader> in = std::make_unique<token_reader>();
    std::unique_ptr<output_buffer> out = std::make_unique<output_buffer>();

    explicit reader_on_file(const std::string& text)
    {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fflush(file);
        std::rewind(file);
        init_output(*out, -1);
        init_reader(*in, fileno(file));
    }
    ~reader_on_file()
    {
        std::fclose(file);
    }

    std::vector<std::string> tokens()
    {
        std::vector<std::string> all;
        std::string_view token;
        while (next_token(*in, *out, &token) == input_status::ok)
            all.emplace_back(token);
        return all;
    }
};

// Many short tokens, then one a little longer than the longest number.
std::string many_tokens(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
    return text;
}

TEST(StreamInput, TokensAcrossTheBufferAndACutLongOne)
{
    const std::string long_token(longest_number + 100, '7');
    reader_on_file r(many_tokens(30000) + long_token + " last");
    const std::vector<std::string> tokens = r.tokens();
    ASSERT_EQ(tokens.size(), 30002u);
    EXPECT_EQ(tokens[12345], "12345");
    EXPECT_EQ(tokens[29999], "29999");
    EXPECT_EQ(tokens[30000], std::string(longest_number + 1, '7'));
    EXPECT_EQ(tokens[30001], "last");
    EXPECT_TRUE(r.in->at_end);
}

TEST(StreamInput, SkippingALineSaysWhetherTextWentWithIt)
{
    reader_on_file r("a \t \nb c\nd\ne f");
    const struct {
        const char* token;
        bool skipped_text;
        input_status skipped;
    } steps[] = {{"a", false, input_status::ok},
                 {"b", true, input_status::ok},
                 {"d", false, input_status::ok},
                 {"e", true, input_status::ended}};
    for (const auto& step : steps) {
        std::string_view token;
        ASSERT_EQ(next_token(*r.in, *r.out, &token), input_status::ok);
        EXPECT_EQ(token, step.token);
        bool skipped_text = !step.skipped_text;
        EXPECT_EQ(skip_line(*r.in, *r.out, &skipped_text), step.skipped);
        EXPECT_EQ(skipped_text, step.skipped_text) << step.token;
    }
}

// Input that comes in pieces of a given size, as a pipe may hand it over.
struct chunked {
    std::string text;
    std::size_t size = 1;
    std::size_t at = 0;
};
chunked source;

input_status read_a_chunk(token_reader& in, output_buffer&)
{
    const std::size_t n = source.text.size() - source.at < source.size ? source.text.size() - source.at : source.size;
    if (n == 0) {
        in.at_end = true;
        return input_status::ended;
    }
    std::memcpy(in.data + in.end, source.text.data() + source.at, n);
    in.end += n;
    source.at += n;
    return input_status::ok;
}

// A paste's marker cut between two reads is white space all the same,
// after a number, at the end of a refused token's line, or at the end of
// the input; reads of every size from one byte to more than a marker.
TEST(StreamInput, MarkersCutBetweenReads)
{
    // A reader that waits for a marker's rest after the end never ends:
    // the test does, in time.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(10));
        std::fputs("the reader did not finish within 10 s\n", stderr);
        std::_Exit(1);
    }).detach();
    const struct {
        std::string text;
        std::vector<std::string> steps; // tokens, and "skip: yes" or "skip: no" after a refusal
    } cases[] = {
        {"100\x1b[201~ 20\n", {"100", "20"}},
        {"abc \x1b[201~\n100 20\n", {"abc", "skip: no", "100", "20"}},
        {"abc \x1b[200~x\n5\n", {"abc", "skip: yes", "5"}},
        {"\x1b[200~30 10\n\x1b[201~", {"30", "10"}},
        {"100 20\n\x1b[", {"100", "20", "\x1b["}},
        {"7\x1b[201", {"7\x1b[201"}},
    };
    for (const auto& c : cases) {
        for (std::size_t size = 1; size <= 9; ++size) {
            SCOPED_TRACE(std::to_string(size) + "-byte reads of " + c.text);
            source = {c.text, size, 0};
            auto in = std::make_unique<token_reader>();
            auto out = std::make_unique<output_buffer>();
            init_output(*out, -1);
            init_reader(*in, -1);
            in->source = read_a_chunk;
            std::vector<std::string> steps;
            std::string_view token;
            while (next_token(*in, *out, &token) == input_status::ok) {
                steps.emplace_back(token);
                if (token == "abc") {
                    bool skipped_text = false;
                    skip_line(*in, *out, &skipped_text);
                    steps.emplace_back(skipped_text ? "skip: yes" : "skip: no");
                }
            }
            EXPECT_EQ(steps, c.steps);
            EXPECT_TRUE(in->at_end);
        }
    }
}

} // namespace
