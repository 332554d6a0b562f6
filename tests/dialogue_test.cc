// The dialogue's exact bytes for given input, against transcripts written
// out from its definition.
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "console/number_parse.h" // the longest number, which the program sets
#include "transcript.h"

namespace {

using namespace transcript;

const std::vector<std::string> figures_1_by_1 = {"1.000000", "1.000000", "0.500000", "1.570796", "0.000000",
                                                 "0.785398", "0.785398", "3.141593", "1.000000"};
const std::vector<std::string> figures_10_by_30 = {"10.000000", "30.000000", "15.000000", "15.707963", "-20.000000",
                                                   "23.561945", "23.561945", "42.831853", "13.633802"};

// The output, and the lines on standard error: where there are some, the
// exit status says that input was refused.
void expect_output(const std::string& input, const std::string& expected, const std::string& errors = "") {
    const run_result r = run_on(input);
    EXPECT_EQ(r.output, expected);
    EXPECT_EQ(r.errors, errors);
    EXPECT_EQ(r.status, errors.empty() ? 0 : 3);
}

TEST(Dialogue, WellFormedInputInItsManyLayouts) {
    const std::string one_cycle = cycle(figures_100_by_20()) + ending();
    const struct {
        const char* name;
        std::string input;
    } layouts[] = {
        {"one number a line", "100\n20\n"},
        {"both on one line", "100 20\n"},
        {"blank lines and blanks", "\n\n   \n\t\n  100  \n\n \n20\n"},
        {"CR LF line ends", "100\r\n20\r\n"},
        {"no final newline", "100\n20"},
        {"tabs, vertical tabs, form feeds", "\t100\v\f20\t"},
        {"signs and exponents", "+1e2 2.0E1\n"},
    };
    for (const auto& layout : layouts) {
        SCOPED_TRACE(layout.name);
        expect_output(layout.input, one_cycle);
    }
}

TEST(Dialogue, NumbersBeyondTheCycleWaitForTheNextCycles) {
    expect_output("100 20 1 1 10\n30\n",
                  cycle(figures_100_by_20()) + cycle(figures_1_by_1) + cycle(figures_10_by_30) + ending());
}

TEST(Dialogue, EndOfInputOrAQuitWordAtEitherQuestion) {
    const std::string at_width = header() + height_prompt + spacer + width_prompt + "\n";
    const struct {
        const char* input;
        std::string expected;
        std::string errors;
    } cases[] = {
        {"", ending(), ""},
        {"\n\n  \n", ending(), ""},
        // A height without its width is lost; a quit word is meant.
        {"100\n", at_width, unfinished_error(1, "100.000000")},
        {"100 20\n\n1", cycle(figures_100_by_20()) + at_width, unfinished_error(3, "1.000000")},
        {"quit\n100 20\n", ending(), ""},
        {"Q 100 20\n", ending(), ""},
        {"100 EXIT\n20\n", at_width, ""},
        {"100 20 qUiT", cycle(figures_100_by_20()) + ending(), ""},
        {"quitter 100 20\n5 6\n",
         header() + height_prompt + refusal("quitter", true) + height_prompt + spacer + width_prompt + spacer +
             report({"5.000000", "6.000000", "3.000000", "7.853982", "-1.000000", "4.712389", "4.712389", "16.278760",
                     "5.181690"}) +
             ending(),
         refusal_error(1, "quitter")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        expect_output(c.input, c.expected, c.errors);
    }
}

// A minus and digits, one more than the longest number.
std::string signed_long_number() {
    std::string token(longest_number + 1, '1');
    token[0] = '-';
    return token;
}

TEST(Dialogue, RefusedTokensAreNamedAndAskedAgain) {
    const struct {
        std::string token;
        std::string shown;
        bool too_long = false;
    } tokens[] = {
        // What is a number is the parser's own table; here, how a refused
        // token is shown.
        {"12,5", "12,5"},
        {"abc", "abc"},
        {"\"5\"", "\"5\""},
        {"~12~", "~12~"},                // the last printable character
        {"12,5\x1b[201~", "12,5?[201~"}, // an ESC in a file is a byte like any other
        {std::string(longest_number + 1, '1'), "11111111111111111111...", true},
        {signed_long_number(), "-1111111111111111111...", true},
        {std::string(longest_number - 1, '1') + "e+5", "11111111111111111111...", true},
        {std::string(longest_number + 1, '1') + "x", "11111111111111111111...", true}, // as far as the reader keeps it
        {std::string(5000, 'x'), "xxxxxxxxxxxxxxxxxxxx..."},
        {std::string(21, 'y'), "yyyyyyyyyyyyyyyyyyyy..."},
        {std::string(20, 'z'), "zzzzzzzzzzzzzzzzzzzz"},
        {std::string("1\0", 2), "1?"},
        {std::string("a\x1b[2J\0\a"
                     "b",
                     8),
         "a?[2J??b"},
        {"\xff\xfe\x7f", "???"},
        {"\xc3\xa9t\xc3\xa9", "??t??"},
    };
    for (const auto& t : tokens) {
        SCOPED_TRACE("token of " + std::to_string(t.token.size()) + " bytes: " + t.shown);
        // The 7 on the same line goes with the refused token, and the
        // notice says so; blanks alone after it are not worth a word.
        expect_output(t.token + " 7\n100\n20\n",
                      header() + height_prompt + refusal(t.shown, true, t.too_long) + height_prompt + spacer +
                          width_prompt + spacer + report(figures_100_by_20()) + ending(),
                      refusal_error(1, t.shown, t.too_long));
        expect_output("100\n" + t.token + " \t \n20\n",
                      header() + height_prompt + spacer + width_prompt + refusal(t.shown, false, t.too_long) +
                          width_prompt + spacer + report(figures_100_by_20()) + ending(),
                      refusal_error(2, t.shown, t.too_long));
    }
}

TEST(Dialogue, RefusalsInARowAndAtTheEnd) {
    expect_output("a\nb c\n100 20\n",
                  header() + height_prompt + refusal("a") + height_prompt + refusal("b", true) + height_prompt +
                      spacer + width_prompt + spacer + report(figures_100_by_20()) + ending(),
                  refusal_error(1, "a") + refusal_error(2, "b"));
    expect_output("abc", header() + height_prompt + refusal("abc") + height_prompt + "\n", refusal_error(1, "abc"));
}

TEST(Dialogue, NegativeAndZeroInputsAreReported) {
    const std::vector<std::string> zeros = {"0.000000", "0.000000", "0.000000", "0.000000", "0.000000",
                                            "0.000000", "0.000000", "0.000000", "0.000000"};
    const std::vector<std::string> minus_5_by_2 = {"-5.000000", "2.000000", "1.000000",   "-7.853982", "-7.000000",
                                                   "1.570796",  "1.570796", "-11.712389", "-3.728169"};
    expect_output("0 0\n-5 2\n10 30\n", cycle(zeros) + cycle(minus_5_by_2) + cycle(figures_10_by_30) + ending());
}

TEST(Dialogue, ACommaLocaleChangesNothing) {
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "German_Germany.1252"};
    const char* installed = nullptr;
    for (const char* name : names) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            installed = name;
            break;
        }
    }
#if !defined(_WIN32)
    // None installed: make one from the system's locale sources, in a
    // folder of its own.
    char folder[] = "/tmp/vorlane-locale-XXXXXX";
    if (installed == nullptr && mkdtemp(folder) != nullptr) {
        const std::string command = std::string("localedef -i de_DE -f UTF-8 ") + folder + "/de_DE.UTF-8 2>/dev/null";
        if (std::system(command.c_str()) == 0 && setenv("LOCPATH", folder, 1) == 0)
            installed = std::setlocale(LC_ALL, "de_DE.UTF-8");
        static_cast<void>(std::system(("rm -rf " + std::string(folder)).c_str()));
    }
#endif
    if (installed == nullptr)
        GTEST_SKIP() << "no locale with a decimal comma is installed here, and none could be made: install the "
                        "package locales (Debian, Ubuntu)";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    expect_output("100 20\n12,5\n1.5 1\n",
                  cycle(figures_100_by_20()) + header() + height_prompt + refusal("12,5") + height_prompt + spacer +
                      width_prompt + spacer +
                      report({"1.500000", "1.000000", "0.500000", "2.356194", "0.500000", "0.785398", "0.785398",
                              "4.426991", "1.409155"}) +
                      ending(),
                  refusal_error(2, "12,5"));
    std::setlocale(LC_ALL, "C");
}

// Rows of the reference model's inputs, typed as their shortest decimal
// text, against the model's own printed figures: the parsing, the
// calculation and the formatting together.
TEST(Dialogue, ReferenceRowsPrintTheModelsDigits) {
    std::ifstream file(VORLANE_TEST_DATA "/mandrel_printed.txt");
    ASSERT_TRUE(file) << "missing reference data";
    std::string input;
    std::vector<std::string> expected_cycles;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string height, width;
        fields >> height >> width;
        std::vector<std::string> figures(9);
        for (auto& f : figures) fields >> f;
        input += height + " " + width + "\n";
        expected_cycles.push_back(cycle(figures));
    }
    ASSERT_GT(expected_cycles.size(), 1000u);
    const std::string output = run_on(input).output;
    std::size_t at = 0;
    for (std::size_t i = 0; i < expected_cycles.size(); ++i) {
        const std::string& want = expected_cycles[i];
        ASSERT_EQ(output.substr(at, want.size()), want) << "row " << i;
        at += want.size();
    }
    EXPECT_EQ(output.substr(at), ending());
}

} // namespace
