// Many samples from a CSV file: every input row gives one output row, its own
// cells first and the results after them, in a bounded amount of memory.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "columns.h"
#include "csv.h"

namespace thalwen {

// What every row of one batch shares: how its columns are read, and the
// values and units of what no cell gives.
struct BatchSetup {
    Dialect dialect;
    BatchColumns columns;
    Method method = Method::Teos10Exact;  // of rows without a method cell
    Sample defaults{};                    // the values of the quantities no column gives, and of the empty cells filled
    QuantitySet filled;                   // the quantities whose empty cells take their value from defaults
    UserUnits userUnits;                  // of the options, and of the output
    // The salinity-related option, for rows whose salinity-related cells are
    // all empty when the file has such columns.
    std::optional<Quantity> salinityFill;
    double salinityFillValue = kNoValue;
    std::string noSalinity;  // the report of a row without any salinity-related value
    Style style;
};

// The setup of a batch with the columns read from its header.
BatchSetup makeBatchSetup(const Arguments& arguments, const Dialect& dialect, BatchColumns columns);

struct RowInput {
    Method method;
    SampleValues values;  // the sample, in units
    UserUnits units;
};

// Reads the cells of one data row: an empty cell of a quantity takes the
// option's value when one was given, and is a missing measurement otherwise;
// an empty method cell takes the method of the options. Returns "" or why the
// row cannot be converted, naming the column and the text.
std::string readRow(const std::vector<Cell>& cells, const BatchSetup& setup, RowInput& row);

// What standard error says once the header is read: the columns read (and
// in which unit), those carried, the values that serve every row, those that
// fill empty cells, and the --column that would read a carried column whose
// name looks meant to be read. One line each.
std::vector<std::string> headerNotes(const BatchSetup& setup);

// Rows are read, converted and written a chunk of at most chunkRows at a
// time: enough rows to make the per-chunk work vanish, few enough to keep the
// memory small. Tests give small chunks, so that the chunks in flight go round
// their ring many times.
constexpr std::size_t kBatchChunkRows = 4096;

// Converts every row of in and writes CSV to out in the input's dialect; bad
// rows keep their cells, get empty results and are reported on err as
// "line N: reason", with N the file's own line number. Returns the exit
// status (exit_status.h).
int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments,
             std::size_t chunkRows = kBatchChunkRows);

}  // namespace thalwen
