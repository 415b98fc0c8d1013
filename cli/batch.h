// Many samples from a CSV file: every input row gives one output row, its own
// cells first and the results after them, in a bounded amount of memory.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "arguments.h"
#include "csv.h"

namespace thalwen {

// What one input column gives: nothing we read (it is only carried to the
// output), the method, or a quantity.
enum class ColumnUse { Carried, Method, Quantity };

struct ColumnRole {
    ColumnUse use = ColumnUse::Carried;
    Quantity quantity = Quantity::Pressure;  // when use is Quantity
};

struct BatchColumns {
    std::vector<ColumnRole> roles;
    std::vector<std::string> names;  // as the header gives them, for messages
    std::vector<std::string> notes;  // about columns carried that look meant to be read
};

// Reads the header line: every column is kept; those named like our
// quantities or "method", or mapped by the user, are read. Returns "" or what
// is wrong with the header or the mappings.
std::string readHeader(std::string_view line, const Dialect& dialect, const std::vector<ColumnMapping>& mappings,
                       BatchColumns& columns);

struct RowInput {
    Method method;
    Sample sample;  // in the user's units
};

// Reads the cells of one data row: empty cells take the value of defaults
// (absent, for the salinity-related quantities) and an empty method cell takes
// defaultMethod. Returns false and sets error to why the row cannot be
// converted, naming the column and the text.
bool readRow(const std::vector<Cell>& cells, const BatchColumns& columns, Method defaultMethod, const Sample& defaults,
             RowInput& row, std::string& error);

// Rows are read, converted and written a chunk of at most chunkRows at a
// time: enough rows to make the per-chunk work vanish, few enough to keep the
// memory small. Tests give small chunks, so that the chunks in flight go round
// their ring many times.
constexpr std::size_t kBatchChunkRows = 4096;

// Converts every row of in and writes CSV to out in the input's dialect; bad
// rows keep their cells, get empty results and are reported on err as
// "line N: reason". Returns the exit status: 0, 1 when some rows were bad or
// the output could not be written, 2 when the header is bad or the input
// cannot be read.
int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments,
             std::size_t chunkRows = kBatchChunkRows);

}  // namespace thalwen
