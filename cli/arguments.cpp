#include "arguments.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "columns.h"
#include "exit_status.h"
#include "number_text.h"
#include "user_conversion.h"
#include "version.h"

namespace thalwen {

namespace {

// More threads than any machine has cores only cost memory.
constexpr unsigned kMaxJobs = 1024;

struct FormatInfo {
    Format format;
    const char* name;
};

constexpr FormatInfo kFormats[] = {{Format::Text, "text"}, {Format::Csv, "csv"}, {Format::Json, "json"}};

std::string unitChoices() {
    return choices(kConductivityUnits, [](const ConductivityUnit& unit) { return unit.ascii; });
}

std::string readMethod(const Option& option, std::string_view text, Arguments& arguments) {
    auto method = methodFromName(text);
    if (!method) return valueError(option.name, text, "is no method: " + methodChoices());
    arguments.method = *method;
    arguments.methodGiven = true;
    return "";
}

std::string readFormat(const Option& option, std::string_view text, Arguments& arguments) {
    for (const FormatInfo& format : kFormats)
        if (text == format.name) {
            arguments.format = format.format;
            arguments.formatGiven = true;
            return "";
        }
    return valueError(option.name, text, "is no format: " + choices(kFormats, [](auto& f) { return f.name; }));
}

std::string readConductivityUnit(const Option& option, std::string_view text, Arguments& arguments) {
    const ConductivityUnit* unit = conductivityUnitNamed(text);
    if (!unit) return valueError(option.name, text, "is no conductivity unit: " + unitChoices());
    arguments.style.conductivityUnit = unit;
    return "";
}

std::string readJobs(const Option& option, std::string_view text, Arguments& arguments) {
    unsigned jobs = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs)
        return valueError(option.name, text, "is not a whole number from 1 to " + std::to_string(kMaxJobs));
    arguments.jobs = jobs;
    return "";
}

std::string readQuantity(const Option& option, std::string_view text, Arguments& arguments) {
    return readValue(arguments.values, option.quantity, text, static_cast<std::size_t>(&option - kOptions.data()),
                     [](std::size_t row) { return std::string(kOptions[row].name); });
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

std::string readColumnMapping(const Option& option, std::string_view text, Arguments& arguments) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return valueError(option.name, text, "is not QUANTITY=HEADER");
    const std::string_view name = text.substr(0, equals);
    ColumnMapping mapping{std::nullopt, std::string(trimBlanks(text.substr(equals + 1)))};
    if (name != "method") {
        mapping.quantity = quantityFromName(name);
        if (!mapping.quantity) return valueError(option.name, name, "is no quantity: one of " + batchColumns());
        if (!infoOf(*mapping.quantity).input) return valueError(option.name, name, "is a result, not an input");
    }
    if (mapping.header.empty()) return valueError(option.name, text, "has no column header after '='");
    for (const ColumnMapping& earlier : arguments.columnMappings)
        if (earlier.quantity == mapping.quantity) return valueError(option.name, name, "is mapped twice");
    arguments.columnMappings.push_back(std::move(mapping));
    return "";
}

std::string readBatch(const Option& option, std::string_view text, Arguments& arguments) {
    if (text.empty()) return valueError(option.name, text, "missing file name ('-' reads standard input)");
    arguments.batch = true;
    arguments.batchPath = text;
    return "";
}

template <bool Arguments::*flag>
std::string setFlag(const Option&, std::string_view, Arguments& arguments) {
    arguments.*flag = true;
    return "";
}

template <bool Style::*flag>
std::string setStyle(const Option&, std::string_view, Arguments& arguments) {
    arguments.style.*flag = true;
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

// What --help says of an option: its own words and what the tables add to them.
std::string describe(const Option& option) {
    std::string text = option.help;
    const QuantityInfo& info = infoOf(option.quantity);
    switch (option.extra) {
    case HelpExtra::None:
        break;
    case HelpExtra::Default:  // the usage never tells another default than the one the command line takes
        text += " [";
        appendShortest(text, valueOf(kDefaultSample, option.quantity));
        if (info.temperature) (text += ' ') += info.unit;
        text += ']';
        break;
    case HelpExtra::Unit:
        if (*info.unit) (text += ", ") += info.unit;
        break;
    case HelpExtra::Methods:
        text += choices(kMethods, [](const MethodInfo& method) {
            return std::string(method.name) + " (" + method.label +
                   (method.method == Arguments{}.method ? ", the default)" : ")");
        });
        break;
    case HelpExtra::Formats:
        text += choices(kFormats, [](const FormatInfo& format) { return format.name; });
        ((text += " [") += kFormats[0].name) += ']';
        break;
    case HelpExtra::ConductivityUnits:
        ((text += " [") += kMilliSiemensPerCentimetre.name) += "]: ";
        text += choices(kConductivityUnits, [](const ConductivityUnit& unit) {
            return std::string(unit.ascii) + (std::string_view(unit.ascii) != unit.name
                                                  ? std::string(" (also ") + unit.name + ")"
                                                  : std::string());
        });
        break;
    case HelpExtra::Columns:
        (text += batchColumns()) += "; ";
        text += conventionalNames();
        break;
    }
    return text;
}

std::string headingOf(OptionGroup group) {
    switch (group) {
    case OptionGroup::Method:
        return "Method:\n";
    case OptionGroup::Inputs:
        return "Inputs (defaults in brackets):\n";
    case OptionGroup::SalinityInputs: {
        std::string heading = "At most one of (none: Practical Salinity ";
        appendShortest(heading, kDefaultSalinity);
        return heading + "):\n";
    }
    case OptionGroup::Output:
        return "Output:\n";
    case OptionGroup::Batch:
        return "Batch:\n";
    case OptionGroup::Other:
        return "Other:\n";
    }
    return "";
}

}  // namespace

// clang-format off
const std::vector<Option> kOptions = {
    {"--method", "METHOD", "", OptionGroup::Method, readMethod, {}, HelpExtra::Methods},
    {"--pressure", "DBAR", "sea pressure", OptionGroup::Inputs, readQuantity, Quantity::Pressure, HelpExtra::Default},
    {"--longitude", "DEG", "decimal degrees east", OptionGroup::Inputs, readQuantity, Quantity::Longitude,
     HelpExtra::Default},
    {"--latitude", "DEG", "decimal degrees north", OptionGroup::Inputs, readQuantity, Quantity::Latitude,
     HelpExtra::Default},
    {"--temperature", "T", "in-situ temperature", OptionGroup::Inputs, readQuantity, Quantity::Temperature,
     HelpExtra::Default},
    {"--reference-temperature", "T", "of the pure water SG refers to", OptionGroup::Inputs, readQuantity,
     Quantity::ReferenceTemperature, HelpExtra::Default},
    {"--salinity", "SP", "Practical Salinity", OptionGroup::SalinityInputs, readQuantity, Quantity::PracticalSalinity,
     HelpExtra::Unit},
    {"--density", "RHO", "in-situ density", OptionGroup::SalinityInputs, readQuantity, Quantity::Density,
     HelpExtra::Unit},
    {"--conductivity", "C", "in the unit of --conductivity-unit", OptionGroup::SalinityInputs, readQuantity,
     Quantity::Conductivity},
    {"--specific-gravity", "SG", "against pure water at the reference temperature", OptionGroup::SalinityInputs,
     readQuantity, Quantity::SpecificGravity, HelpExtra::Unit},
    {"--fahrenheit", nullptr, "temperatures given and shown in °F", OptionGroup::Output, setStyle<&Style::fahrenheit>},
    {"--format", "FORMAT", "", OptionGroup::Output, readFormat, {}, HelpExtra::Formats},
    {"--conductivity-unit", "UNIT", "given and shown", OptionGroup::Output, readConductivityUnit, {},
     HelpExtra::ConductivityUnits},
    {"--full", nullptr, "every number as the shortest text that reads back to the same value, instead of the usual "
     "decimals", OptionGroup::Output, setStyle<&Style::full>},
    {"--batch", "FILE", "convert every row of a CSV file ('-' reads standard input): each row is written with its "
     "own cells, then the method, the ten quantities and the inputs clamped. The header line tells the dialect, "
     "which the output keeps: commas and decimal points, semicolons and decimal commas, or tabs. A unit may follow "
     "a column's name in brackets or parentheses: [dbar], (S/m), (degF). Any column not read is carried as it is. "
     "Columns read: ", OptionGroup::Batch, readBatch, {}, HelpExtra::Columns},
    {"--column", "QUANTITY=HEADER", "read the column named HEADER as QUANTITY, one of the columns above; repeatable",
     OptionGroup::Batch, readColumnMapping, {}, HelpExtra::None, true},
    {"--jobs", "N", "threads converting a batch [one per core]", OptionGroup::Batch, readJobs},
    {"--quiet", nullptr, "errors only: no notes on what was read or assumed, no clamped inputs, no summary",
     OptionGroup::Other, setFlag<&Arguments::quiet>},
    {"--help", nullptr, "show this help and exit", OptionGroup::Other, setFlag<&Arguments::help>, {},
     HelpExtra::None, false, "-h"},
    {"--version", nullptr, "show the versions of Thalwen and of the GSW library, and exit", OptionGroup::Other,
     setFlag<&Arguments::version>},
};
// clang-format on

std::string methodChoices() {
    return choices(kMethods, [](const MethodInfo& method) { return method.name; });
}

const char* mappedName(const ColumnMapping& mapping) {
    return mapping.quantity ? infoOf(*mapping.quantity).name : "method";
}

const char* optionOf(Quantity quantity) {
    for (const Option& option : kOptions)
        if (option.read == readQuantity && option.quantity == quantity) return option.name;
    return nullptr;
}

std::string parseArguments(int argc, const char* const* argv, Arguments& arguments) {
    std::vector<bool> seen(kOptions.size());
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view name = argument, value;
        bool inlineValue = false;
        if (auto equals = argument.find('='); argument.substr(0, 2) == "--" && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        const Option* option = nullptr;
        for (const Option& row : kOptions)
            if (name == row.name || (row.alias && name == row.alias)) option = &row;
        if (!option)
            return argument.substr(0, 2) == "--" ? "unknown option " + quoted(name)
                                                 : "unexpected argument " + quoted(argument);

        const std::size_t row = static_cast<std::size_t>(option - kOptions.data());
        if (seen[row] && !option->repeatable) return std::string(option->name) + ": given more than once";
        seen[row] = true;
        if (!option->placeholder) {
            if (inlineValue) return std::string(option->name) + ": takes no value";
        } else if (!inlineValue) {
            if (i + 1 >= argc) return std::string(option->name) + ": missing value";
            value = argv[++i];
        }
        if (std::string error = option->read(*option, value, arguments); !error.empty()) return error;
        if (arguments.help || arguments.version) return "";
    }

    if (!arguments.batch && !arguments.columnMappings.empty()) return "--column: only with --batch";
    if (arguments.batch && arguments.formatGiven && arguments.format != Format::Csv)
        return "--format: a batch is written as CSV only";
    return "";
}

Sample requestedSample(const Arguments& arguments) {
    Sample sample = defaultSample(arguments.style.fahrenheit);
    for (const QuantityInfo& info : kQuantities)
        if (arguments.values.given.contains(info.quantity))
            valueOf(sample, info.quantity) = valueOf(arguments.values.sample, info.quantity);
    return sample;
}

UserUnits userUnitsOf(const Arguments& arguments) {
    return userUnits(arguments.style.fahrenheit, *arguments.style.conductivityUnit);
}

std::string usageText() {
    std::string out = R"(Usage: thalwen-convert [options]
       thalwen-convert --batch FILE|- [options]

Converts the properties of a seawater sample: from the sea pressure, position,
temperature and one salinity-related quantity, derives the others and Absolute
Salinity by TEOS-10 or IES-80.

)";
    std::optional<OptionGroup> group;
    for (const Option& option : kOptions) {
        if (option.group != group) {
            group = option.group;
            out += headingOf(option.group);
        }
        std::string names = option.name;
        if (option.placeholder) (names += ' ') += option.placeholder;
        appendOption(out, names, describe(option));
    }
    out += R"(
A comma is accepted as decimal point. Inputs outside their ranges are
clamped and reported. In a batch, a quantity without a column takes the
option's value (or its default) in every row, and an empty cell is a missing
measurement, reported, unless the option is given: then it fills the cell.
Standard error tells which columns are read, carried and assumed, then the
rows converted.

Exit status:
)";
    for (const ExitStatusInfo& status : kExitStatuses)
        ((((out += "  ") += std::to_string(status.status)) += "  ") += status.meaning) += '\n';
    out += R"(
Batch examples, one per dialect, and a profile archive's columns:
  printf 'id,temperature,density\nA1,10,1026.1\n' | thalwen-convert --batch -
  printf 'id;temperature;density\nA1;10;1026,1\n' | thalwen-convert --batch -
  printf 'id\ttemperature\tdensity\nA1\t10\t1026\n' | thalwen-convert --batch -
  thalwen-convert --batch cast.csv --latitude -35.2 --longitude 151.3 \
      --column temperature=t_insitu
)";
    return out;
}

std::string versionText() { return std::string("thalwen-convert ") + THALWEN_VERSION + " (GSW " + GSW_VERSION + ")\n"; }

}  // namespace thalwen
