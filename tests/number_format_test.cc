// The report's number formatter against the C library's printf("%lf"),
// an independent reference: millions of random values and the cases where
// rounding is hardest.
#include "console/number_format.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

std::string ours(double x) {
    char text[figure_max_length + 1];
    char* end = format_figure(x, text);
    return std::string(text, end);
}

std::string reference(double x) {
    char text[400];
    const int n = std::snprintf(text, sizeof text, "%lf", x);
    return std::string(text, static_cast<std::size_t>(n));
}

// Counts the values whose text differs, naming the first few.
int count_differences(double x, int* shown) {
    const std::string want = reference(x);
    const std::string got = ours(x);
    if (want == got) return 0;
    if ((*shown)++ < 10) ADD_FAILURE() << std::hexfloat << x << ": want " << want << ", got " << got;
    return 1;
}

TEST(NumberFormat, ExamplesFromTheReport) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {3.141592653589793, "3.141593"},
        {0.0, "0.000000"},
        {-0.0, "-0.000000"},
        {100.0, "100.000000"},
        {-20.0, "-20.000000"},
        {0.0000005, "0.000000"},
        {0.9999995, "1.000000"},
        {0.99999951, "1.000000"},
        {-1e-9, "-0.000000"},
        {9.9999995, "9.999999"},
        {0.0078125, "0.007812"},
        {0.0234375, "0.023438"},
        {18446744073709549568.0, "18446744073709549568.000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(ours(c.value), c.text) << std::hexfloat << c.value;
}

TEST(NumberFormat, HardCasesMatchPrintf) {
    int shown = 0;
    int differences = 0;
    // Every power of two, both signs: the extremes of each binade.
    for (int e = -1074; e <= 1023; ++e) {
        const double p = std::ldexp(1.0, e);
        for (double x : {p, std::nextafter(p, 0.0), std::nextafter(p, INFINITY)}) {
            differences += count_differences(x, &shown);
            differences += count_differences(-x, &shown);
        }
    }
    // Exact ties at the seventh decimal are the odd multiples of 1/128;
    // they must round to even.
    for (int j = 1; j < 200000; j += 2) differences += count_differences(j / 128.0, &shown);
    // The neighbours of every value halfway between two six-decimal numbers
    // near 1 and near 2^52, where the rest is widest.
    for (std::int64_t k = 0; k < 20000; ++k) {
        const double near_tie = static_cast<double>(2 * k + 1) / 2e6;
        for (double x : {near_tie, std::nextafter(near_tie, 0.0), std::nextafter(near_tie, 1.0)})
            differences += count_differences(x, &shown);
        const double big = 4503599627370496.0 + static_cast<double>(k) * 0.5;
        differences += count_differences(big, &shown);
    }
    // Every power of ten up to 10^22, where the integer part gains a
    // digit, and where the rounding of the decimals carries into it.
    double power = 1.0;
    for (int k = 0; k <= 22; ++k, power *= 10.0) {
        for (double x : {power, std::nextafter(power, 0.0), std::nextafter(power, INFINITY), power - 1.0, power - 5e-7,
                         std::nextafter(power - 5e-7, 0.0), std::nextafter(power - 5e-7, INFINITY)}) {
            differences += count_differences(x, &shown);
            differences += count_differences(-x, &shown);
        }
    }
    for (double x : {DBL_MAX, -DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 0.9999995, 0.99999949999999995, 18446744073709551616.0,
                     18446744073709549568.0, 1e-7, 5e-7, 4.9999999999999998e-7})
        differences += count_differences(x, &shown);
    EXPECT_EQ(differences, 0);
}

TEST(NumberFormat, ValuesThatAreNotFinite) {
    // Infinities as printf spells them; a NaN without a sign, which no
    // two processors agree on.
    EXPECT_EQ(ours(INFINITY), "inf");
    EXPECT_EQ(ours(-INFINITY), "-inf");
    EXPECT_EQ(ours(std::nan("")), "nan");
    EXPECT_EQ(ours(-std::nan("")), "nan");
    EXPECT_EQ(ours(std::bit_cast<double>(std::uint64_t{0xfff0000000000001})), "nan");
    EXPECT_EQ(ours(std::bit_cast<double>(std::uint64_t{0x7fffffffffffffff})), "nan");
}

// Random bit patterns cover every exponent evenly, most of them far from
// coil sizes; values drawn with an even spread of exponents around the
// fast path's limits, and ordinary sizes typed with a few decimals, fill
// in where the fraction arithmetic works hardest.  count of each kind.
int random_differences(int count) {
    std::mt19937_64 random(20261208);
    int shown = 0;
    int differences = 0;
    for (int i = 0; i < count; ++i) {
        const double x = std::bit_cast<double>(random());
        if (!std::isnan(x)) differences += count_differences(x, &shown);
    }
    std::uniform_int_distribution<int> exponent(-80, 70);
    std::uniform_int_distribution<std::uint64_t> mantissa(0, (std::uint64_t{1} << 52) - 1);
    for (int i = 0; i < count; ++i) {
        const auto bits = (static_cast<std::uint64_t>(exponent(random) + 1023) << 52) | mantissa(random);
        const double x = std::bit_cast<double>(bits);
        differences += count_differences(i % 2 != 0 ? -x : x, &shown);
    }
    std::uniform_real_distribution<double> size(-1000.0, 1000.0);
    for (int i = 0; i < count / 2; ++i) differences += count_differences(std::round(size(random) * 1e4) / 1e4, &shown);
    return differences;
}

TEST(NumberFormat, RandomValuesMatchPrintf) { EXPECT_EQ(random_differences(100000), 0); }

// Millions of them: behind the label "long".
TEST(NumberFormatExhaustive, RandomValuesMatchPrintf) { EXPECT_EQ(random_differences(2000000), 0); }

} // namespace
