// The options of thalwen-convert, as one table that drives their parsing, the
// refusal of an option given twice and the usage text. The options of the
// quantities come from the vocabulary (quantities.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "columns.h"
#include "exit_status.h"
#include "output.h"
#include "sample.h"
#include "sample_values.h"

namespace thalwen {

enum class Format { Text, Csv, Json };

struct FormatInfo {
    Format format;
    const char* name;
};

inline constexpr FormatInfo kFormats[] = {{Format::Text, "text"}, {Format::Csv, "csv"}, {Format::Json, "json"}};

struct Arguments {
    Method method = Method::Teos10Exact;
    bool methodGiven = false;
    SampleValues values;  // of the quantity options, as typed; salinityPlace is the option's row in options()
    Format format = Format::Text;
    bool formatGiven = false;
    Style style;
    bool quiet = false;  // errors only: no notes, no summary
    bool batch = false;
    std::string batchPath;   // "-" for standard input
    std::string outputPath;  // --output: a batch's output file; empty: standard output
    std::vector<ColumnMapping> columnMappings;
    std::optional<Quantity> source;         // --source: the salinity-related column a batch reads
    std::vector<double> missing;            // --missing: cell values that mark a missing measurement
    std::vector<std::string> qualityFlags;  // --qc: of a netCDF file, the flags of the samples converted
    bool outputsGiven = false;              // --outputs, rather than the results a file of its kind gets
    unsigned jobs = 0;                      // threads converting a batch; 0: one per core
    bool help = false;
    bool version = false;
};

// The sections of the usage text.
enum class OptionGroup { Method, Inputs, SalinityInputs, Output, Batch, Other };

// What --help adds to an option's own words, from the tables that hold it.
enum class HelpExtra { None, Default, Unit, Methods, Formats, ConductivityUnits, Columns, Outputs };

struct Option {
    const char* name;         // "--pressure"
    const char* placeholder;  // its value, as --help shows it; nullptr: it takes none
    const char* help;         // what --help says of it
    OptionGroup group;
    // Takes the option's value (empty for one that takes none); fails naming
    // the option and the text.
    Failure (*read)(const Option& option, std::string_view value, Arguments& arguments);
    Quantity quantity = Quantity::Pressure;  // the quantity an option of the inputs gives
    HelpExtra extra = HelpExtra::None;
    bool repeatable = false;
    const char* alias = nullptr;  // a short name, not listed
};

// Every option, in the order --help lists them.
const std::vector<Option>& options();

// Fills arguments from argv[1..argc-1]; fails with the error to report, which
// names the option and the text at fault.
Failure parseArguments(int argc, const char* const* argv, Arguments& arguments);

// The given options over the defaults, in the user's temperature unit: the
// sample to convert, or in a batch the values of the quantities without a
// column and of the empty cells of those with one.
Sample requestedSample(const Arguments& arguments);

// The units the options give and the outputs show.
UserUnits userUnitsOf(const Arguments& arguments);

// "exact, polynomial or ies80", for messages about a method not known.
std::string methodChoices();

// "method, pressure, ...": what a batch column or --column can give.
std::string batchColumns();

// "practicalSalinity, density, conductivity or specificGravity".
std::string salinityNames();

}  // namespace thalwen
