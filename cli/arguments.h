// The options of thalwen-convert.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output.h"
#include "sample.h"

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
    Sample given{};           // values of the quantity options, as typed
    QuantitySet givenInputs;  // the quantities whose option was given
    Format format = Format::Text;
    bool formatGiven = false;
    Style style;
    bool batch = false;
    std::string batchPath;  // "-" for standard input
    std::vector<ColumnMapping> columnMappings;
    unsigned jobs = 0;  // threads converting a batch; 0: one per core
    bool help = false;
    bool version = false;
};

// Fills arguments from argv[1..argc-1]. Returns "" or the error to report,
// which names the option and the text at fault.
std::string parseArguments(int argc, const char* const* argv, Arguments& arguments);

// The given options over the defaults, in the user's temperature unit: the
// sample to convert, or in a batch the values of missing and empty cells.
Sample requestedSample(const Arguments& arguments);

std::string usageText();

// 'text', for messages that name what the user gave.
std::string quoted(std::string_view text);

std::string versionText();

}  // namespace thalwen
