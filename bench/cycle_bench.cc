// Microbenchmarks of the hot path: one cycle's calculation and report, and
// number parsing and formatting beside the library's own conversions.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "console/number_parse.h"
#include "console/number_format.h"
#include "geometry/mandrel.h"

namespace {

// Ordinary coil sizes, as the throughput benchmark types them.
std::vector<std::string> typed_sizes() {
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> size(2.0, 400.0);
    std::vector<std::string> texts;
    char text[32];
    for (int i = 0; i < 4096; ++i) {
        std::snprintf(text, sizeof text, "%.2f", size(random));
        texts.emplace_back(text);
    }
    return texts;
}

std::vector<double> report_values() {
    std::vector<double> values;
    for (const std::string& t : typed_sizes()) values.push_back(std::strtod(t.c_str(), nullptr) * 3.14159);
    return values;
}

// Longer numbers than sizes: 25 digits, and 17 with exponents far from 1,
// which the parser's exact path cannot take.
std::vector<std::string> long_numbers() {
    std::mt19937_64 random(2);
    std::vector<std::string> texts;
    for (int i = 0; i < 4096; ++i) {
        std::string s;
        for (int k = 0; k < 26; ++k) s += k == 3 ? '.' : static_cast<char>('0' + random() % 10);
        texts.push_back(s);
    }
    return texts;
}

std::vector<std::string> wide_numbers() {
    std::mt19937_64 random(3);
    std::vector<std::string> texts;
    char text[40];
    for (int i = 0; i < 4096; ++i) {
        const int exponent = static_cast<int>(random() % 400) - 250;
        std::snprintf(text, sizeof text, "%.17g", std::ldexp(static_cast<double>(random() >> 11), exponent));
        texts.emplace_back(text);
    }
    return texts;
}

enum class parser { ours, from_chars, strtod };

void parse(benchmark::State& state, std::vector<std::string> (*make)(), parser which) {
    const auto texts = make();
    std::size_t i = 0;
    for (auto _ : state) {
        const std::string& t = texts[i++ & 4095];
        double v = 0;
        switch (which) {
        case parser::ours: parse_decimal(t, &v); break;
        case parser::from_chars: std::from_chars(t.data(), t.data() + t.size(), v); break;
        case parser::strtod: v = std::strtod(t.c_str(), nullptr); break;
        }
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK_CAPTURE(parse, sizes_ours, typed_sizes, parser::ours);
BENCHMARK_CAPTURE(parse, sizes_from_chars, typed_sizes, parser::from_chars);
BENCHMARK_CAPTURE(parse, sizes_strtod, typed_sizes, parser::strtod);
BENCHMARK_CAPTURE(parse, long_ours, long_numbers, parser::ours);
BENCHMARK_CAPTURE(parse, long_from_chars, long_numbers, parser::from_chars);
BENCHMARK_CAPTURE(parse, long_strtod, long_numbers, parser::strtod);
BENCHMARK_CAPTURE(parse, wide_ours, wide_numbers, parser::ours);
BENCHMARK_CAPTURE(parse, wide_from_chars, wide_numbers, parser::from_chars);
BENCHMARK_CAPTURE(parse, wide_strtod, wide_numbers, parser::strtod);

void format_ours(benchmark::State& state) {
    const auto values = report_values();
    char text[figure_max_length];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_figure(values[i++ & 4095], text));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(format_ours);

void format_to_chars(benchmark::State& state) {
    const auto values = report_values();
    char text[figure_max_length];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            std::to_chars(text, text + sizeof text, values[i++ & 4095], std::chars_format::fixed, 6));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(format_to_chars);

void format_snprintf(benchmark::State& state) {
    const auto values = report_values();
    char text[400];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(std::snprintf(text, sizeof text, "%lf", values[i++ & 4095]));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(format_snprintf);

// The calculation and the formatting of one cycle's figures: the eight
// distinct ones of the report, and pi for the header.
void cycle_compute_and_format(benchmark::State& state) {
    const auto texts = typed_sizes();
    char text[figure_max_length];
    std::size_t i = 0;
    for (auto _ : state) {
        mandrel_figures f = {};
        parse_decimal(texts[i & 4095], &f.coil_height);
        parse_decimal(texts[(i + 1) & 4095], &f.window_width);
        i += 2;
        compute_mandrel(f);
        for (double v :
             {f.coil_height, f.window_width, f.offset_width, f.l1, f.l2, f.l3, f.total_length, f.mandrel_diameter, pi})
            benchmark::DoNotOptimize(format_figure(v, text));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(cycle_compute_and_format);

} // namespace

BENCHMARK_MAIN();
