// The cost of one number read or written as a batch reads and writes them:
// the six cells of a row as bench/batch/generate.py writes them, and the ten
// results with the decimals the batch shows. Rows are random, so that the
// number of digits is as hard to foresee as in a real file. The general
// reader (fast_float) and the standard library's fixed writer (to_chars) do
// the same work on the same cells and values, as the yardsticks.
#include <benchmark/benchmark.h>
#include <fast_float/fast_float.h>

#include <charconv>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
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

// The cells of the rows, laid out as the lines of a file are: one text, each
// cell followed by a comma or a line end.
struct Cells {
    std::string text;
    std::vector<std::string_view> cells;
};

const Cells& randomCells() {
    static const Cells cells = [] {
        std::mt19937_64 random(20261209);
        Cells made;
        std::vector<std::size_t> starts, sizes;
        for (std::size_t row = 0; row < kRows; ++row)
            for (const Column& column : kCells) {
                char text[64];
                const double value = std::uniform_real_distribution<double>(column.lowest, column.highest)(random);
                const int size = std::snprintf(text, sizeof text, "%.*f", column.decimals, value);
                starts.push_back(made.text.size());
                sizes.push_back(static_cast<std::size_t>(size));
                made.text.append(text, static_cast<std::size_t>(size));
                made.text += &column == std::end(kCells) - 1 ? '\n' : ',';
            }
        made.text.append(kPadding, '\0');  // what a batch's buffer holds after its last line
        for (std::size_t i = 0; i < starts.size(); ++i) made.cells.emplace_back(made.text.data() + starts[i], sizes[i]);
        return made;
    }();
    return cells;
}

template <class Read>
void readSix(benchmark::State& state, Read read) {
    const std::vector<std::string_view>& cells = randomCells().cells;
    std::size_t next = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < std::size(kCells); ++i) {
            double value = 0;
            benchmark::DoNotOptimize(read(cells[next++], value));
            benchmark::DoNotOptimize(value);
        }
        if (next == cells.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kCells)));
}

void readSixCells(benchmark::State& state) { readSix(state, readDecimal); }
void readSixCellsPadded(benchmark::State& state) { readSix(state, readDecimalPadded); }

void readSixCellsFastFloat(benchmark::State& state) {
    readSix(state, [](std::string_view cell, double& value) {
        return fast_float::from_chars(cell.data(), cell.data() + cell.size(), value).ptr;
    });
}

// Values of the magnitudes the results have: each cell's range for the
// inputs, typical seawater for the others.
const std::vector<double>& randomResults() {
    static const std::vector<double> values = [] {
        std::mt19937_64 random(20261209);
        auto between = [&](double lowest, double highest) {
            return std::uniform_real_distribution<double>(lowest, highest)(random);
        };
        std::vector<double> made;
        for (std::size_t row = 0; row < kRows; ++row) {
            const double practicalSalinity = between(2, 42);
            for (double value :
                 {between(0, 10000), between(-180, 180), between(-86, 90), between(-2, 35), practicalSalinity,
                  practicalSalinity * 1.0047, between(1000, 1070), between(2, 70), between(1.0, 1.07), between(0, 40)})
                made.push_back(value);
        }
        return made;
    }();
    return values;
}

template <class Put>
void writeTen(benchmark::State& state, Put put) {
    const std::vector<double>& values = randomResults();
    char text[kQuantityCount * (kMaxNumber + 1)];
    std::size_t next = 0;
    for (auto _ : state) {
        char* p = text;
        for (const QuantityInfo& info : kQuantities) {
            p = put(p, values[next++], info.decimals);
            *p++ = ',';
        }
        benchmark::DoNotOptimize(text);
        if (next == values.size()) next = 0;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kQuantityCount));
}

void writeTenResults(benchmark::State& state) { writeTen(state, putFixed); }
void writeTenResultsPadded(benchmark::State& state) { writeTen(state, putFixedPadded); }

void writeTenResultsToChars(benchmark::State& state) {
    writeTen(state, [](char* p, double value, int decimals) {
        return std::to_chars(p, p + kMaxNumber, value, std::chars_format::fixed, decimals).ptr;
    });
}

}  // namespace

BENCHMARK(readSixCells);
BENCHMARK(readSixCellsPadded);
BENCHMARK(readSixCellsFastFloat);
BENCHMARK(writeTenResults);
BENCHMARK(writeTenResultsPadded);
BENCHMARK(writeTenResultsToChars);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("padded number text", paddedPath());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
