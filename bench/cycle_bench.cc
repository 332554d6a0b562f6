// Microbenchmarks of the hot path: one cycle's calculation and report, and
// number parsing and formatting beside the library's own conversions.
#include <charconv>
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
std::vector<std::string> typed_sizes()
{
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

std::vector<double> report_values()
{
    std::vector<double> values;
    for (const std::string& t : typed_sizes())
        values.push_back(std::strtod(t.c_str(), nullptr) * 3.14159);
    return values;
}

void parse_ours(benchmark::State& state)
{
    const auto texts = typed_sizes();
    std::size_t i = 0;
    for (auto _ : state) {
        double v;
        benchmark::DoNotOptimize(parse_decimal(texts[i++ & 4095], &v));
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(parse_ours);

void parse_strtod(benchmark::State& state)
{
    const auto texts = typed_sizes();
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(std::strtod(texts[i++ & 4095].c_str(), nullptr));
}
BENCHMARK(parse_strtod);

void format_ours(benchmark::State& state)
{
    const auto values = report_values();
    char text[figure_max_length];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(format_figure(values[i++ & 4095], text));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(format_ours);

void format_to_chars(benchmark::State& state)
{
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

void format_snprintf(benchmark::State& state)
{
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
void cycle_compute_and_format(benchmark::State& state)
{
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
