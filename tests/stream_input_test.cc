// The reader on its own: tokens across its buffer's edges, and lines
// skipped.
#include "console/stream_input.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

    explicit reader_on_file(const std::string& text) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fflush(file);
        std::rewind(file);
        init_output(*out, -1);
        init_reader(*in, fileno(file));
    }
    ~reader_on_file() { std::fclose(file); }

    std::vector<std::string> tokens() {
        std::vector<std::string> all;
        std::string_view token;
        while (next_token(*in, *out, &token) == input_status::ok) all.emplace_back(token);
        return all;
    }
};

// Many short tokens, then one a little longer than the longest number.
std::string many_tokens(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += std::to_string(i) + (i % 7 == 0 ? "\n" : " ");
    return text;
}

TEST(StreamInput, TokensAcrossTheBufferAndACutLongOne) {
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

TEST(StreamInput, SkippingALineSaysWhetherTextWentWithIt) {
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

} // namespace
