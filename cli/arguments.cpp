#include "arguments.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "number_text.h"
#include "quantity_options.h"
#include "user_conversion.h"
#include "version.h"

namespace thalwen {

namespace {

// More threads than any machine has cores only cost memory.
constexpr unsigned kMaxJobs = 1024;

std::string readFormat(std::string_view text, Arguments& arguments) {
    if (text == "text")
        arguments.format = Format::Text;
    else if (text == "csv")
        arguments.format = Format::Csv;
    else if (text == "json")
        arguments.format = Format::Json;
    else
        return "--format: unknown format " + quoted(text) + " (text, csv or json)";
    arguments.formatGiven = true;
    return "";
}

std::string readConductivityUnit(std::string_view text, Arguments& arguments) {
    arguments.style.conductivityUnit = conductivityUnitNamed(text);
    if (arguments.style.conductivityUnit) return "";
    arguments.style.conductivityUnit = &kMilliSiemensPerCentimetre;
    return "--conductivity-unit: unknown unit " + quoted(text) + " (mS/cm, S/m or uS/cm)";
}

std::string readJobs(std::string_view text, Arguments& arguments) {
    unsigned jobs = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs)
        return "--jobs: " + quoted(text) + " is not a whole number from 1 to " + std::to_string(kMaxJobs);
    arguments.jobs = jobs;
    return "";
}

std::string readMethod(std::string_view text, Arguments& arguments) {
    auto method = methodFromName(text);
    if (!method) return "--method: unknown method " + quoted(text) + " (exact, polynomial or ies80)";
    arguments.method = *method;
    return "";
}

std::string readQuantity(Quantity quantity, std::string_view text, Arguments& arguments) {
    const char* option = optionOf(quantity);
    double value = 0;
    if (const char* reason = readDecimal(text, value)) {
        if (trimBlanks(text).empty()) return std::string(option) + ": " + reason;
        return std::string(option) + ": " + quoted(text) + " is " + reason;
    }
    if (infoOf(quantity).salinityRelated) {
        for (const QuantityInfo& other : kQuantities)
            if (other.salinityRelated && other.quantity != quantity && arguments.givenInputs.contains(other.quantity))
                return std::string(optionOf(other.quantity)) + " and " + option +
                       ": give at most one salinity-related input";
        value = asGivenValue(value);
    }
    valueOf(arguments.given, quantity) = value;
    arguments.givenInputs.add(quantity);
    return "";
}

std::string batchColumns() {
    std::string columns = "method";
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input) continue;
        columns += ", ";
        columns += info.name;
    }
    return columns;
}

std::string readColumnMapping(std::string_view text, Arguments& arguments) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return "--column: " + quoted(text) + " is not QUANTITY=HEADER";
    const std::string_view name = text.substr(0, equals);
    ColumnMapping mapping{std::nullopt, std::string(text.substr(equals + 1))};
    if (name != "method") {
        mapping.quantity = quantityNamed(name);
        if (!mapping.quantity) return "--column: unknown quantity " + quoted(name) + " (one of " + batchColumns() + ")";
        if (!infoOf(*mapping.quantity).input) return "--column: " + std::string(name) + " is a result, not an input";
    }
    if (mapping.header.empty()) return "--column " + std::string(text) + ": no column header after '='";
    for (const ColumnMapping& earlier : arguments.columnMappings)
        if (earlier.quantity == mapping.quantity) return "--column: " + std::string(name) + " mapped twice";
    arguments.columnMappings.push_back(std::move(mapping));
    return "";
}

// One option of --help: its names from the third column, what it does from
// the 37th, wrapped at 80 columns.
void appendOption(std::string& out, std::string_view names, std::string_view description) {
    constexpr std::size_t kDescriptionColumn = 36, kWidth = 80;
    out += "  ";
    out += names;
    std::size_t column = 2 + displayWidth(names);
    if (column >= kDescriptionColumn) {  // no room for a blank after the names
        out += '\n';
        column = 0;
    }
    bool lineStart = true;  // no word on this line yet
    while (!description.empty()) {
        const std::size_t blank = description.find(' ');
        const std::string_view word = description.substr(0, blank);
        description = blank == std::string_view::npos ? std::string_view() : description.substr(blank + 1);
        const std::size_t width = displayWidth(word);
        if (!lineStart && column + 1 + width > kWidth) {
            out += '\n';
            column = 0;
            lineStart = true;
        }
        if (lineStart) {
            out.append(kDescriptionColumn - column, ' ');
            column = kDescriptionColumn;
        } else {
            out += ' ';
            ++column;
        }
        out += word;
        column += width;
        lineStart = false;
    }
    out += '\n';
}

// The inputs and their defaults, from the tables: the usage never tells
// another default than the one the command line takes.
void appendInputs(std::string& out) {
    out += "Inputs (defaults in brackets):\n";
    for (const QuantityOption& option : kQuantityOptions) {
        const QuantityInfo& info = infoOf(option.quantity);
        if (info.salinityRelated) continue;
        std::string description = option.help;
        description += " [";
        appendShortest(description, valueOf(kDefaultSample, option.quantity));
        if (info.temperature) (description += ' ') += info.unit;
        description += ']';
        appendOption(out, std::string(option.option) + " " + option.placeholder, description);
    }
    out += "At most one of (none: Practical Salinity ";
    appendShortest(out, kDefaultSalinity);
    out += "):\n";
    for (const QuantityOption& option : kQuantityOptions) {
        const QuantityInfo& info = infoOf(option.quantity);
        if (!info.salinityRelated) continue;
        std::string description = option.help;
        // Conductivity has the unit the user chooses, not the engine's.
        if (*info.unit && option.quantity != Quantity::Conductivity)
            (description += description.empty() ? "" : ", ") += info.unit;
        appendOption(out, std::string(option.option) + " " + option.placeholder, description);
    }
}

}  // namespace

// Appended piece by piece: GCC 12 at -O3 sees a false overlap in
// "'" + std::string(text) and warns (-Wrestrict).
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '\'';
    result += text;
    result += '\'';
    return result;
}

const char* mappedName(const ColumnMapping& mapping) {
    return mapping.quantity ? infoOf(*mapping.quantity).name : "method";
}

std::string parseArguments(int argc, const char* const* argv, Arguments& arguments) {
    std::string seen = " ";  // options already given, each followed by a blank
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            arguments.help = true;
            return "";
        }
        if (argument == "--version") {
            arguments.version = true;
            return "";
        }
        if (argument.size() < 3 || argument.substr(0, 2) != "--") return "unexpected argument " + quoted(argument);

        std::string_view name = argument, value;
        bool inlineValue = false;
        if (auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        std::string key = std::string(name) + " ";
        if (name != "--column" && seen.find(" " + key) != std::string::npos)
            return std::string(name) + ": given more than once";
        seen += key;

        if (name == "--fahrenheit" || name == "--full") {
            if (inlineValue) return std::string(name) + ": takes no value";
            (name == "--fahrenheit" ? arguments.style.fahrenheit : arguments.style.full) = true;
            continue;
        }
        const std::optional<Quantity> quantity = quantityOfOption(name);
        if (!quantity && name != "--method" && name != "--format" && name != "--batch" && name != "--column" &&
            name != "--conductivity-unit" && name != "--jobs")
            return "unknown option " + quoted(name);
        if (!inlineValue) {
            if (i + 1 >= argc) return std::string(name) + ": missing value";
            value = argv[++i];
        }

        std::string error;
        if (quantity) {
            error = readQuantity(*quantity, value, arguments);
        } else if (name == "--method") {
            error = readMethod(value, arguments);
        } else if (name == "--format") {
            error = readFormat(value, arguments);
        } else if (name == "--jobs") {
            error = readJobs(value, arguments);
        } else if (name == "--conductivity-unit") {
            error = readConductivityUnit(value, arguments);
        } else if (name == "--column") {
            error = readColumnMapping(value, arguments);
        } else {
            if (value.empty()) return "--batch: missing file name ('-' reads standard input)";
            arguments.batch = true;
            arguments.batchPath = value;
        }
        if (!error.empty()) return error;
    }

    if (!arguments.batch && !arguments.columnMappings.empty()) return "--column: only with --batch";
    if (arguments.batch) {
        for (const QuantityInfo& info : kQuantities)
            if (info.salinityRelated && arguments.givenInputs.contains(info.quantity))
                return std::string(optionOf(info.quantity)) +
                       ": not with --batch; give salinity-related inputs as columns";
        if (arguments.formatGiven && arguments.format != Format::Csv) return "--format: a batch is written as CSV only";
    }
    return "";
}

Sample requestedSample(const Arguments& arguments) {
    Sample sample = defaultSample(arguments.style.fahrenheit);
    for (const QuantityInfo& info : kQuantities)
        if (arguments.givenInputs.contains(info.quantity))
            valueOf(sample, info.quantity) = valueOf(arguments.given, info.quantity);
    return sample;
}

std::string usageText() {
    std::string out = R"(Usage: thalwen-convert [options]
       thalwen-convert --batch FILE|- [options]

Converts the properties of a seawater sample: from the sea pressure, position,
temperature and one salinity-related quantity, derives the others and Absolute
Salinity by TEOS-10 or IES-80.

Method:
)";
    appendOption(out, "--method exact|polynomial|ies80",
                 "TEOS-10 exact (default), TEOS-10 with the polynomial density, or IES-80");
    appendInputs(out);
    out += "Output:\n";
    appendOption(out, "--fahrenheit", "temperatures given and shown in °F");
    appendOption(out, "--format text|csv|json", "default text");
    appendOption(out, "--conductivity-unit UNIT", "S/m, uS/cm (also µS/cm) or default mS/cm");
    appendOption(out, "--full",
                 "every number as the shortest text that reads back to the same value, instead of the usual decimals");
    out += "Batch:\n";
    appendOption(out, "--batch FILE",
                 "convert every row of a CSV file ('-' reads standard input): each row is written with its own "
                 "cells, then the method, the ten quantities and the inputs clamped. The header line tells the "
                 "dialect, which the output keeps: commas and decimal points, semicolons and decimal commas, or "
                 "tabs. Columns read: " +
                     batchColumns() +
                     "; any other is carried as it is. An empty cell takes the default (the options above) or, for "
                     "the salinity-related columns, is absent.");
    appendOption(out, "--column QUANTITY=HEADER",
                 "read the column named HEADER as QUANTITY, one of the columns above; repeatable");
    appendOption(out, "--jobs N", "threads converting a batch [one per core]");
    out += R"(  --help, --version

A comma is accepted as decimal point. Inputs outside their ranges are
clamped and reported. Exit status: 0 success, 1 some batch rows could not be
converted (each is reported with its line, column and text), 2 bad arguments
or input.

Batch examples, one per dialect, and an instrument's own column names:
  printf 'id,temperature,density\nA1,10,1026.1\n' | thalwen-convert --batch -
  printf 'id;temperature;density\nA1;10;1026,1\n' | thalwen-convert --batch -
  printf 'id\ttemperature\tdensity\nA1\t10\t1026\n' | thalwen-convert --batch -
  thalwen-convert --batch cast.csv --conductivity-unit S/m \
      --column pressure=prDM --column temperature=t090C \
      --column conductivity=c0S/m
)";
    return out;
}

std::string versionText() { return std::string("thalwen-convert ") + THALWEN_VERSION + " (GSW " + GSW_VERSION + ")\n"; }

}  // namespace thalwen
