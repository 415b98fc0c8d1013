// The cost of one number read or written as a batch reads and writes them:
// the six cells of a row as bench/batch/generate.py writes them, and the ten
// results with the decimals the batch shows. Rows are random, so that the
// number of digits is as hard to foresee as in a real file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "number_text.h"
#include "quantities.h"

using namespace thalwen;

namespace {

constexpr std::size_t kRows = 4096;

// A column of generate.py: its range and the decimals it is written with.
struct Column {
    double lowest, highest;
    int decimals;
};
constexpr Column kCells[] = {{0, 10000, 2}, {-180, 180, 6}, {-86, 90, 6}, {-2, 35, 3}, {2, 42, 5}, {0, 40, 2}};

std::vector<std::string> randomCells() {
    std::mt19937_64 random(20261209);
    std::vector<std::string> cells;
    for (std::size_t row = 0; row < kRows; ++row)
        for (const Column& column : kCells) {
            char text[64];
            const double value = std::uniform_real_distribution<double>(column.lowest, column.highest)(random);
            std::snprintf(text, sizeof text, "%.*f", column.decimals, value);
            cells.emplace_back(text);
        }
    return cells;
}

void readSixCells(benchmark::State& state) {
    const std::vector<std::string> cells = randomCells();
    std::size_t next = 0;
    for (auto _ : state) {
        double value = 0;
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            benchmark::DoNotOptimize(readDecimal(cells[next++], value));
            benchmark::DoNotOptimize(value);
        }
        if (next == cells.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kCells)));
}

void writeTenResults(benchmark::State& state) {
    // Values of the magnitudes the results have: each cell's range for the
    // inputs, typical seawater for the others.
    std::mt19937_64 random(20261209);
    auto between = [&](double lowest, double highest) {
        return std::uniform_real_distribution<double>(lowest, highest)(random);
    };
    std::vector<double> values;
    for (std::size_t row = 0; row < kRows; ++row) {
        const double practicalSalinity = between(2, 42);
        for (double value :
             {between(0, 10000), between(-180, 180), between(-86, 90), between(-2, 35), practicalSalinity,
              practicalSalinity * 1.0047, between(1000, 1070), between(2, 70), between(1.0, 1.07), between(0, 40)})
            values.push_back(value);
    }
    char text[kQuantityCount * (kMaxNumber + 1)];
    std::size_t next = 0;
    for (auto _ : state) {
        char* p = text;
        for (const QuantityInfo& info : kQuantities) {
            p = putFixed(p, values[next++], info.decimals);
            *p++ = ',';
        }
        benchmark::DoNotOptimize(text);
        if (next == values.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kQuantityCount));
}

}  // namespace

BENCHMARK(readSixCells);
BENCHMARK(writeTenResults);

BENCHMARK_MAIN();
