// The reader on its own: tokens across its buffer's edges, lines skipped,
// and input kept unread for the pause, up to a full buffer.
#include "console/stream_input.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#if defined(_WIN32)
#include <io.h>
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
        init_reader(*in, fileno(file), *out);
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

TEST(StreamInput, InputTakenForThePauseStaysUnreadUpToAFullBuffer)
{
    const std::string text = many_tokens(20000); // well over one buffer
    ASSERT_GT(text.size(), input_capacity);
    reader_on_file r(text);
    int reads = 0;
    while (read_waiting_input(*r.in, true) == arrival::some)
        ++reads;
    EXPECT_GE(reads, 1);
    EXPECT_EQ(unread_input(*r.in), text.substr(0, input_capacity));
    EXPECT_FALSE(r.in->at_end) << "a full buffer was taken for the end of the input";
    EXPECT_FALSE(only_blanks_unread(*r.in));
    const std::vector<std::string> tokens = r.tokens();
    ASSERT_EQ(tokens.size(), 20000u);
    EXPECT_EQ(tokens.back(), "19999");

    reader_on_file blanks(" \n\t \n");
    EXPECT_EQ(read_waiting_input(*blanks.in, true), arrival::some);
    EXPECT_TRUE(only_blanks_unread(*blanks.in));
}

} // namespace
