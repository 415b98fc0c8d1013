// Many samples from CSV: one row in, one row out, in a bounded amount of memory.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "arguments.h"
#include "csv.h"

// What each input column holds: a quantity, or the method (none).
struct BatchColumns {
    int count = 0;
    std::optional<Quantity> quantity[kMaxCells] = {};
};

// Reads the header line. Returns "" or what is wrong with it.
std::string readHeader(std::string_view line, BatchColumns& columns);

struct RowInput {
    Method method;
    Sample sample;  // temperatures in the user's unit
};

// Reads one data line: empty cells take the value of defaults (absent, for the
// salinity-related quantities) and an empty method cell takes defaultMethod.
// Returns false and sets error to why the row cannot be converted.
bool readRow(std::string_view line, const BatchColumns& columns, Method defaultMethod, const Sample& defaults,
             RowInput& row, std::string& error);

// Converts every row of in and writes CSV to out; bad rows are reported on err
// as "line N: reason". Returns the exit status: 0, 1 when some rows were bad,
// 2 when the header is bad or the input cannot be read.
int runBatch(std::FILE* in, std::FILE* out, std::FILE* err, const Arguments& arguments);
