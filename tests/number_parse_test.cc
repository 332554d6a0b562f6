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
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string zeros(std::size_t n) { return std::string(n, '0'); }

// Appended one by one: GCC 12 warns wrongly on a chain of string "+".
std::string joined(std::initializer_list<std::string> parts) {
    std::string all;
    for (const std::string& part : parts) all.append(part);
    return all;
}

// Expected values are the compiler's own reading of the same literal,
// correctly rounded, or worked out by hand.
TEST(NumberParse, AcceptsPlainDecimals) {
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
        // A million-digit number is no number, but the longest still is.
        {std::string(longest_number, '9'), INFINITY},
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

TEST(NumberParse, RefusesEverythingElseWhole) {
    // clang-format off
    const char* refused[] = {
        "",      "+",    "-",   ".",    "e5",   "1e",       "1e+",  "1e-",   "12,5", "100mm",
        "5-3",   "0x10", "inf", "nan",  "-inf", "infinity", "1..2", "1.2.3", "++1",  "+-1",
        "1e5.5", "1 ",   " 1",  "1e 5", "--5",  "1_000",    "٣",    "１",
        // The characters on either side of the digits, in every place of
        // an eight-digit run and beyond it.
        "/", ":", "1234567:", "12345678:", "123456789:", "/2345678", "1234/678", "12345678/",
        "1.234567:", "0.1234567/", "1e1234567:", ".:",
    };
    // clang-format on
    for (const char* token : refused) {
        double value = 42.0;
        EXPECT_FALSE(parse_decimal(token, &value)) << '"' << token << '"';
        EXPECT_EQ(value, 42.0) << '"' << token << '"';
    }
    double value = 42.0;
    EXPECT_FALSE(parse_decimal(std::string("1\0", 2), &value));
    EXPECT_FALSE(parse_decimal(std::string(longest_number + 1, '1'), &value));
    EXPECT_EQ(value, 42.0);
}

// Decimal text with up to longest digits in each part and an exponent
// within the given range.
std::string random_decimal(std::mt19937_64& random, int longest, int least_exponent, int greatest_exponent) {
    static const char digits[] = "0123456789";
    std::uniform_int_distribution<int> count(1, longest);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(least_exponent, greatest_exponent);
    std::string s;
    if (random() % 3 == 0) s += random() % 2 != 0 ? '-' : '+';
    for (int i = count(random); i > 0; --i) s += digits[digit(random)];
    if (random() % 2 != 0) {
        s += '.';
        for (int i = count(random); i > 0; --i) s += digits[digit(random)];
    }
    if (random() % 2 != 0) {
        s += random() % 2 != 0 ? 'e' : 'E';
        s += std::to_string(exponent(random));
    }
    return s;
}

// The point halfway between the positive double x and the next one up,
// written out exactly in decimal: m * 2^e with m odd is m * 5^-e * 10^e
// for e below zero.  As 0.digits, so that digits added after it are below
// it.
std::string exact_halfway_above(double x) {
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const auto field = static_cast<int>(bits >> 52);
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (field != 0 ? std::uint64_t{1} << 52 : 0);
    const int e = (field != 0 ? field : 1) - 1075;
    // The halfway point is (2m + 1) * 2^(e - 1).
    std::string digits = std::to_string(2 * m + 1);
    const auto times = [&digits](std::uint64_t factor) {
        std::uint64_t carry = 0;
        for (auto i = digits.size(); i-- > 0;) {
            const std::uint64_t d = static_cast<std::uint64_t>(digits[i] - '0') * factor + carry;
            digits[i] = static_cast<char>('0' + d % 10);
            carry = d / 10;
        }
        for (; carry != 0; carry /= 10) digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
    };
    const int power = e - 1;
    for (int i = 0; i < -power; i += 13)
        times(-power - i >= 13 ? 1220703125 : static_cast<std::uint64_t>(std::pow(5.0, -power - i)));
    for (int i = 0; i < power; i += 32) times(std::uint64_t{1} << (power - i >= 32 ? 32 : power - i));
    return "0." + digits + "e" + std::to_string((power < 0 ? power : 0) + static_cast<int>(digits.size()));
}

// Texts of count numbers where a conversion goes wrong if anywhere: random
// decimals anywhere in the range of binary64, random sizes as typed, short
// and near 1, and exact halfway points between two doubles with a digit
// more or less far out.
std::vector<std::string> hard_texts(std::mt19937_64& random, int count) {
    std::vector<std::string> texts;
    while (static_cast<int>(texts.size()) < count) {
        texts.push_back(random_decimal(random, 25, -340, 320));
        texts.push_back(random_decimal(random, 9, -30, 30));
        const std::uint64_t field = 1 + random() % 2046;
        const double x = std::bit_cast<double>(field << 52 | (random() & ((std::uint64_t{1} << 52) - 1)));
        const std::string h = exact_halfway_above(x);
        const std::string::size_type e = h.find('e');
        texts.push_back(h);
        texts.push_back(h.substr(0, e) + std::string(static_cast<std::size_t>(random() % 900), '0') + "1" +
                        h.substr(e));
        std::string lower = h.substr(0, e); // one unit less in the last digit
        auto k = lower.size() - 1;
        for (; lower[k] == '0'; --k) lower[k] = '9';
        --lower[k];
        texts.push_back(lower + "9999" + h.substr(e));
    }
    return texts;
}

// Correct rounding, against strtod, which rounds correctly in glibc and
// overflows and underflows the same way.
int strtod_differences(const std::vector<std::string>& texts) {
    int differences = 0;
    for (const std::string& text : texts) {
        double ours = 0;
        const bool taken = parse_decimal(text, &ours);
        const double reference = std::strtod(text.c_str(), nullptr);
        if ((!taken || std::bit_cast<std::uint64_t>(ours) != std::bit_cast<std::uint64_t>(reference)) &&
            ++differences <= 10)
            ADD_FAILURE() << text.substr(0, 60) << " (" << text.size() << " characters): want " << std::hexfloat
                          << reference << ", got " << (taken ? ours : NAN);
    }
    return differences;
}

TEST(NumberParse, ValuesMatchStrtod) {
    std::mt19937_64 random(7);
    EXPECT_EQ(strtod_differences(hard_texts(random, 20000)), 0);
}

// Millions, behind the label "long".
TEST(NumberParseLong, ValuesMatchStrtod) {
    std::mt19937_64 random(12);
    for (int round = 0; round < 40; ++round) ASSERT_EQ(strtod_differences(hard_texts(random, 100000)), 0);
}

} // namespace
