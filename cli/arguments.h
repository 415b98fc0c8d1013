// The options of thalwen-convert, as one table that drives their parsing, the
// refusal of an option given twice and the usage text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output.h"
#include "sample.h"
#include "sample_values.h"

namespace thalwen {

enum class Format { Text, Csv, Json };

// --column QUANTITY=HEADER: the batch column that gives a quantity or the method.
struct ColumnMapping {
    std::optional<Quantity> quantity;  // none: the method
    std::string header;
};

// The name of what a mapping gives, as --column takes it.
const char* mappedName(const ColumnMapping& mapping);

struct Arguments {
    Method method = Method::Teos10Exact;
    bool methodGiven = false;
    SampleValues values;  // of the quantity options, as typed; salinityPlace is the option's row in kOptions
    Format format = Format::Text;
    bool formatGiven = false;
    Style style;
    bool quiet = false;  // errors only: no notes, no summary
    bool batch = false;
    std::string batchPath;  // "-" for standard input
    std::vector<ColumnMapping> columnMappings;
    unsigned jobs = 0;  // threads converting a batch; 0: one per core
    bool help = false;
    bool version = false;
};

// The sections of the usage text.
enum class OptionGroup { Method, Inputs, SalinityInputs, Output, Batch, Other };

// What --help adds to an option's own words, from the tables that hold it.
enum class HelpExtra { None, Default, Unit, Methods, Formats, ConductivityUnits, Columns };

struct Option {
    const char* name;         // "--pressure"
    const char* placeholder;  // its value, as --help shows it; nullptr: it takes none
    const char* help;         // what --help says of it
    OptionGroup group;
    // Takes the option's value (empty for one that takes none). Returns "" or
    // what is wrong, naming the option and the text.
    std::string (*read)(const Option& option, std::string_view value, Arguments& arguments);
    Quantity quantity = Quantity::Pressure;  // the quantity an option of the inputs gives
    HelpExtra extra = HelpExtra::None;
    bool repeatable = false;
    const char* alias = nullptr;  // a short name, not listed
};

extern const std::vector<Option> kOptions;

// The option that gives quantity, or nullptr for Absolute Salinity.
const char* optionOf(Quantity quantity);

// Fills arguments from argv[1..argc-1]. Returns "" or the error to report,
// which names the option and the text at fault.
std::string parseArguments(int argc, const char* const* argv, Arguments& arguments);

// The given options over the defaults, in the user's temperature unit: the
// sample to convert, or in a batch the values of the quantities without a
// column and of the empty cells of those with one.
Sample requestedSample(const Arguments& arguments);

// The units the options give and the outputs show.
UserUnits userUnitsOf(const Arguments& arguments);

// "exact, polynomial or ies80", for messages about a method not known.
std::string methodChoices();

std::string usageText();

std::string versionText();

}  // namespace thalwen
