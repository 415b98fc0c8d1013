// The rows of a batch: what every row shares once the header is read, how one
// row is read and converted, and what standard error says of them. A netCDF
// file's samples are rows too, their variables the columns.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "columns.h"
#include "csv.h"
#include "encoding.h"
#include "exit_status.h"
#include "options.h"

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
    // Not given and of no use to the method (the position under IES-80): no
    // result is shown for them.
    QuantitySet unknown;
    std::vector<double> missing;  // cell values that mark a missing measurement
    Style style;
    DerivedQuantitySet derived;           // the quantities derived that the outputs show
    std::vector<ResultCell> resultCells;  // of style, looked up once
    // The columns read, looked up once: a row's other cells are only carried.
    struct ReadCell {
        std::size_t column;
        bool method = false;
        Quantity quantity = Quantity::Pressure;
        bool mapped = false;  // its values reach the engine's unit by map
        UnitMap map;
    };
    std::vector<ReadCell> readCells;
};

// The setup of a batch with the columns read from its header. A batch
// converts only what it is given: it fails when neither a column nor an
// option gives the temperature, the pressure, a salinity-related input or,
// for TEOS-10, the position (the reference temperature keeps its default, a
// convention), naming what is missing and the columns that look like it; or
// when an option's value is none a sample can have.
Failure makeBatchSetup(const Arguments& arguments, const Dialect& dialect, BatchColumns columns, BatchSetup& setup);

struct RowInput {
    Method method;
    SampleValues values;  // the sample, in units
    UserUnits units;
};

// A row read value by value, whatever holds its values: started, then given
// the value of each column read or told that it holds none, then finished.
void startRow(const BatchSetup& setup, RowInput& row);
// The value of column index, in the unit the column is read in.
void takeValue(const BatchSetup& setup, std::size_t index, double value, RowInput& row);
// A missing measurement in column index: the option's value fills it, or a
// salinity-related one leaves the row to the salinity fill. False when
// nothing fills it: the row has no results.
[[nodiscard]] bool takeMissing(const BatchSetup& setup, std::size_t index, RowInput& row);
// Once every value is read: a row to which the file's salinity-related columns
// gave none takes the option's. False when none was given: setup.noSalinity
// says why the row has no results.
[[nodiscard]] bool finishRow(const BatchSetup& setup, RowInput& row);
// The conversion of a row read; the quantities setup.unknown holds have no result.
UserConversion convertRow(const BatchSetup& setup, const RowInput& row);

// Reads the cells of one data row, each followed by kPadding readable bytes
// (number_text.h): a cell that is empty, NaN, NA or N/A (any case) or holds
// one of the --missing values is a missing measurement, which the option's
// value fills when one was given; an empty method cell takes the method of
// the options. Fails with why the row cannot be converted, naming the column
// and the text.
Failure readRow(std::span<const Cell> cells, const BatchSetup& setup, RowInput& row);

// The column that holds the first value of a row no sample can have, as
// conversion found it; none when the value came from an option.
std::optional<std::size_t> impossibleColumn(const BatchColumns& columns, const UserConversion& conversion);

// What standard error says once the header is read: the columns read (and
// in which unit), those carried, the values that serve every row, those that
// fill empty cells, and the --column that would read a carried column whose
// name looks meant to be read. One line each.
std::vector<std::string> headerNotes(const BatchSetup& setup);

// What standard error says of an input not in UTF-8, which the output is
// written in all the same; "" for UTF-8.
std::string encodingNote(Encoding encoding);

// The head of the output: the byte-order mark and comment lines of the
// input, then its header as it was and the names of the results.
std::string outputHeader(std::string_view byteOrderMark, std::string_view comments,
                         const std::vector<Cell>& headerCells, const BatchSetup& setup);

// What became of the rows, for the summary at the end.
struct RowCounts {
    std::size_t converted = 0;
    std::size_t clamped = 0;   // of those converted, the rows with inputs brought to their bounds
    std::size_t failed = 0;    // rows without results, each reported
    std::size_t empty = 0;     // rows of empty cells, left empty
    std::size_t rejected = 0;  // netCDF samples whose quality flags are none of --qc, left empty

    RowCounts& operator+=(const RowCounts& other);
};

// "3 rows converted (1 with inputs brought to their bounds), ..."; of a
// netCDF file, samples.
std::string summaryOf(const RowCounts& counts, ColumnKind kind = ColumnKind::CsvColumn);

// Rows converted: the lines of the output, the reports of the bad ones in
// line order ("line N: reason"), and what became of them.
struct ConvertedRows {
    std::string output;
    std::string errors;
    RowCounts counts;
};

// Converts one record of the input, whose first line is line, into rows:
// every record gives one row of output, its own cells first; a bad one gets
// empty results and a report. mayHoldQuote is false only for a record
// without any quote. cells is room for its cells.
void convertRecord(std::string_view record, long line, bool mayHoldQuote, const BatchSetup& setup, CellRow& cells,
                   ConvertedRows& rows);

// A line longer than any row may be: an empty row, reported.
void skipOverlongLine(long line, const BatchSetup& setup, ConvertedRows& rows);

}  // namespace thalwen
