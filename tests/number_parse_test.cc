// What counts as a number, and its value, against the C library's strtod
// in the classic locale as the reference.
#include "console/number_parse.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string zeros(std::size_t n)
{
    return std::string(n, '0');
}

// Appended one by one: GCC 12 warns wrongly on a chain of string "+".
std::string joined(std::initializer_list<std::string> parts)
{
    std::string all;
    for (const std::string& part : parts)
        all.append(part);
    return all;
}

// Expected values are the compiler's own reading of the same literal,
// correctly rounded, or worked out by hand.
TEST(NumberParse, AcceptsPlainDecimals)
{
    const struct {
        std::string token;
        double value;
    } cases[] = {
        {"100", 100.0},
        {"20", 20.0},
        {"-5", -5.0},
        {"+7", 7.0},
        {"12.5", 12.5},
        {".5", 0.5},
        {"5.", 5.0},
        {"-.25", -0.25},
        {"1e3", 1000.0},
        {"1E3", 1000.0},
        {"2.5e-1", 0.25},
        {"2.5E+1", 25.0},
        {"0", 0.0},
        {"007", 7.0},
        {"5.e1", 50.0},
        {"0.1", 0.1},
        {"1e999", INFINITY},
        {"-1e999", -INFINITY},
        {"1e-999", 0.0},
        {"4.9406564584124654e-324", 4.9406564584124654e-324},
        {"1.7976931348623157e308", 1.7976931348623157e308},
        // Just above the largest double by more than half an ulp.
        {"1.7976931348623159e308", INFINITY},
        // Rounded twice by an x87 product: the exact value is this one.
        {"7799312368263e18", 0x1.89c3bfedd8c31p+102},
        {"9007199254740993", 9007199254740992.0}, // 2^53 + 1: a tie, to even
        // 2^53 + 1 is not exact in binary64: no fast multiplication of it.
        {"9007199254740993e5", 9007199254740993e5},
        {"9007199254740992e5", 9007199254740992e5},
        {"123e25", 1.23e27},
        {"123456789012345678901234567890e-10", 123456789012345678901234567890e-10},
        // Leading zeros of an exponent are no reason to saturate it; an
        // exponent beyond any 64-bit integer still saturates.
        {"1e0000000000000000000000000300", 1e300},
        {"1e9223372036854775808", INFINITY},
        {"1e18446744073709551617", INFINITY},
        {"1e-9223372036854775809", 0.0},
        // A million-digit number is no number, but 4096 characters still are.
        {std::string(4096, '9'), INFINITY},
        // Digits beyond the nineteenth raise the exponent; long runs of
        // zeros decide between overflow and underflow.
        {joined({"1", zeros(400), "e-50"}), INFINITY},
        {joined({"1", zeros(400), "e-999"}), 0.0},
        {joined({zeros(300), "1", zeros(300), "e-300"}), 1.0},
        {joined({"0.", zeros(4093), "1"}), 0.0},
        {joined({"0.", zeros(200), "1e1000"}), INFINITY},
        {joined({"0.000", zeros(400), "1e999"}), INFINITY},
        {joined({"0.", zeros(200), "1e201"}), 1.0},
        {joined({"0.", zeros(3999), "1e4300"}), 1e300},
    };
    for (const auto& c : cases) {
        double value = -1234.5;
        EXPECT_TRUE(parse_decimal(c.token, &value)) << c.token.substr(0, 40);
        EXPECT_EQ(value, c.value) << c.token.substr(0, 40);
    }
    double value = 1;
    ASSERT_TRUE(parse_decimal("-0", &value));
    EXPECT_TRUE(std::signbit(value) && value == 0.0);
    ASSERT_TRUE(parse_decimal("-1e-999", &value));
    EXPECT_TRUE(std::signbit(value) && value == 0.0);
}

TEST(NumberParse, RefusesEverythingElseWhole)
{
    const char* refused[] = {
        "",      "+",    "-",   ".",    "e5",   "1e",       "1e+",  "1e-",   "12,5", "100mm",
        "5-3",   "0x10", "inf", "nan",  "-inf", "infinity", "1..2", "1.2.3", "++1",  "+-1",
        "1e5.5", "1 ",   " 1",  "1e 5", "--5",  "1_000",    "٣",    "１",
    };
    for (const char* token : refused) {
        double value = 42.0;
        EXPECT_FALSE(parse_decimal(token, &value)) << '"' << token << '"';
        EXPECT_EQ(value, 42.0) << '"' << token << '"';
    }
    double value = 42.0;
    EXPECT_FALSE(parse_decimal(std::string("1\0", 2), &value));
    EXPECT_FALSE(parse_decimal(std::string(4097, '1'), &value));
    EXPECT_EQ(value, 42.0);
}

// Decimal text with up to longest digits in each part and an exponent
// within the given range.
std::string random_decimal(std::mt19937_64& random, int longest, int least_exponent, int greatest_exponent)
{
    static const char digits[] = "0123456789";
    std::uniform_int_distribution<int> count(1, longest);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(least_exponent, greatest_exponent);
    std::string s;
    if (random() % 3 == 0)
        s += random() % 2 != 0 ? '-' : '+';
    for (int i = count(random); i > 0; --i)
        s += digits[digit(random)];
    if (random() % 2 != 0) {
        s += '.';
        for (int i = count(random); i > 0; --i)
            s += digits[digit(random)];
    }
    if (random() % 2 != 0) {
        s += random() % 2 != 0 ? 'e' : 'E';
        s += std::to_string(exponent(random));
    }
    return s;
}

// Correct rounding, checked on random decimal texts against strtod, which
// rounds correctly in glibc and overflows and underflows the same way.
TEST(NumberParse, ValuesMatchStrtod)
{
    std::mt19937_64 random(7);
    int differences = 0;
    for (int i = 0; i < 600000; ++i) {
        // Half of them anywhere in the range of binary64, half like typed
        // sizes, short and near 1, where the exact fast path is taken.
        const std::string text =
            i % 2 == 0 ? random_decimal(random, 25, -340, 320) : random_decimal(random, 9, -30, 30);
        double ours = 0;
        ASSERT_TRUE(parse_decimal(text, &ours)) << text;
        const double reference = std::strtod(text.c_str(), nullptr);
        if (std::bit_cast<std::uint64_t>(ours) != std::bit_cast<std::uint64_t>(reference) && ++differences <= 10)
            ADD_FAILURE() << text << ": want " << std::hexfloat << reference << ", got " << ours;
    }
    EXPECT_EQ(differences, 0);
}

} // namespace
