// compute_mandrel against figures worked out independently: the worked
// examples of the coil arithmetic, and reference vectors that an exact
// rational model of the eight steps produced (scripts/make-reference-vectors).
#include "geometry/mandrel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

double from_bits(std::uint64_t b) { return std::bit_cast<double>(b); }

std::string six_decimals(double x) {
    char text[400];
    std::snprintf(text, sizeof text, "%lf", x);
    return text;
}

mandrel_figures computed(double height, double width) {
    mandrel_figures f = {};
    f.coil_height = height;
    f.window_width = width;
    compute_mandrel(f);
    return f;
}

TEST(Mandrel, PiIsTheNearestBinary64) { EXPECT_EQ(std::bit_cast<std::uint64_t>(pi), 0x400921FB54442D18u); }

// The worked examples, as the report prints them.
struct printed_case {
    double height, width;
    const char *offset, *l1, *l2, *l3, *total, *diameter;
};

TEST(Mandrel, WorkedExamples) {
    const printed_case cases[] = {
        {0, 0, "0.000000", "0.000000", "0.000000", "0.000000", "0.000000", "0.000000"},
        {1, 1, "0.500000", "1.570796", "0.000000", "0.785398", "3.141593", "1.000000"},
        {100, 20, "10.000000", "157.079633", "80.000000", "15.707963", "268.495559", "85.464791"},
        // A window wider than the coil: the negative side is summed.
        {10, 30, "15.000000", "15.707963", "-20.000000", "23.561945", "42.831853", "13.633802"},
        {-5, 2, "1.000000", "-7.853982", "-7.000000", "1.570796", "-11.712389", "-3.728169"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " by " + std::to_string(c.width));
        const mandrel_figures f = computed(c.height, c.width);
        EXPECT_EQ(f.coil_height, c.height);
        EXPECT_EQ(f.window_width, c.width);
        EXPECT_EQ(six_decimals(f.offset_width), c.offset);
        EXPECT_EQ(six_decimals(f.l1), c.l1);
        EXPECT_EQ(six_decimals(f.l2), c.l2);
        EXPECT_EQ(six_decimals(f.l3), c.l3);
        EXPECT_EQ(six_decimals(f.l4), c.l3);
        EXPECT_EQ(six_decimals(f.total_length), c.total);
        EXPECT_EQ(six_decimals(f.mandrel_diameter), c.diameter);
    }
    EXPECT_EQ(computed(100, 20).half_height, 50.0);
}

// Bit patterns worked out by hand, where the grouping of the steps shows.
TEST(Mandrel, SignedZerosAndOverflow) {
    // -0 * 0.5 is -0, and -0 - (-0 * 2) is -0 + +0 = +0.
    const mandrel_figures z = computed(-0.0, -0.0);
    EXPECT_TRUE(std::signbit(z.half_height));
    EXPECT_TRUE(std::signbit(z.offset_width));
    EXPECT_TRUE(std::signbit(z.l1));
    EXPECT_FALSE(std::signbit(z.l2));
    EXPECT_TRUE(std::signbit(z.l3));
    // +0 + -0 + -0 + -0: the first sum is +0 and stays so.
    EXPECT_FALSE(std::signbit(z.total_length));

    // The largest double halved, times pi, overflows; the straight side
    // does not, and the total is infinite.
    const double largest = from_bits(0x7FEFFFFFFFFFFFFF);
    const mandrel_figures big = computed(largest, 1.0);
    EXPECT_EQ(big.half_height, from_bits(0x7FDFFFFFFFFFFFFF));
    EXPECT_TRUE(std::isinf(big.l1) && big.l1 > 0);
    EXPECT_EQ(big.l2, largest); // 1 is far below half an ulp of the largest
    EXPECT_TRUE(std::isinf(big.total_length));
    EXPECT_TRUE(std::isinf(big.mandrel_diameter));

    // Infinity less infinity is not a number, and it carries through.
    const double inf = std::numeric_limits<double>::infinity();
    const mandrel_figures nan_case = computed(inf, inf);
    EXPECT_TRUE(std::isnan(nan_case.l2));
    EXPECT_TRUE(std::isnan(nan_case.total_length));
    EXPECT_TRUE(std::isnan(nan_case.mandrel_diameter));

    // The smallest subnormal: halving it rounds to zero (ties to even), so
    // the straight side is the height itself, not height - width = 0.
    const double least = from_bits(1);
    const mandrel_figures tiny = computed(least, least);
    EXPECT_EQ(tiny.half_height, 0.0);
    EXPECT_EQ(tiny.offset_width, 0.0);
    EXPECT_EQ(tiny.l2, least);
    EXPECT_EQ(tiny.total_length, least);
    EXPECT_EQ(tiny.mandrel_diameter, 0.0); // least / pi is below half of least
}

struct vector_row {
    std::string text[10];
};

std::vector<vector_row> read_vectors() {
    std::ifstream file(VORLANE_TEST_DATA "/mandrel_vectors.txt");
    std::vector<vector_row> rows;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        vector_row row;
        for (auto& t : row.text) fields >> t;
        rows.push_back(row);
    }
    return rows;
}

double parse_bits(const std::string& hex) { return from_bits(std::stoull(hex, nullptr, 16)); }

// Bit for bit, every row: a fused multiply-add, a wider intermediate or a
// reordered sum shows here long before it shows in a report.
TEST(Mandrel, ReferenceVectors) {
    const std::vector<vector_row> rows = read_vectors();
    ASSERT_GT(rows.size(), 5000u);
    int mismatches = 0;
    int rows_differing = 0;
    for (const auto& row : rows) {
        const int before = mismatches;
        const mandrel_figures f = computed(parse_bits(row.text[0]), parse_bits(row.text[1]));
        const double got[8] = {f.half_height, f.offset_width, f.l1,           f.l2,
                               f.l3,          f.l4,           f.total_length, f.mandrel_diameter};
        for (int i = 0; i < 8; ++i) {
            const std::string& want = row.text[2 + i];
            const bool same = want == "nan" ? std::isnan(got[i])
                                            : std::bit_cast<std::uint64_t>(got[i]) == std::stoull(want, nullptr, 16);
            if (!same && ++mismatches <= 10) {
                ADD_FAILURE() << "inputs " << row.text[0] << " " << row.text[1] << ", field " << i << ": want " << want
                              << ", got " << std::hex << std::bit_cast<std::uint64_t>(got[i]);
            }
        }
        if (mismatches != before) ++rows_differing;
    }
    EXPECT_EQ(mismatches, 0) << "fields differ in " << rows_differing << " of " << rows.size() << " rows";
}

} // namespace
