#include "options.h"

#include <charconv>

#include "messages.h"
#include "parallel.h"
#include "user_conversion.h"

namespace thalwen {

namespace {

Failure readMethod(const Option& option, std::string_view text, Arguments& arguments) {
    auto method = methodFromName(text);
    if (!method) return Failure(valueError(option.name, text, "is no method: " + methodChoices()));
    arguments.method = *method;
    arguments.methodGiven = true;
    return {};
}

Failure readFormat(const Option& option, std::string_view text, Arguments& arguments) {
    for (const FormatInfo& format : kFormats)
        if (text == format.name) {
            arguments.format = format.format;
            arguments.formatGiven = true;
            return {};
        }
    return Failure(valueError(option.name, text, "is no format: " + choices(kFormats, [](auto& f) { return f.name; })));
}

Failure readConductivityUnit(const Option& option, std::string_view text, Arguments& arguments) {
    const ConductivityUnit* unit = conductivityUnitNamed(text);
    if (!unit)
        return Failure(valueError(
            option.name, text,
            "is no conductivity unit: " + choices(kConductivityUnits, [](auto& unit) { return unit.ascii; })));
    arguments.style.conductivityUnit = unit;
    return {};
}

Failure readJobs(const Option& option, std::string_view text, Arguments& arguments) {
    unsigned jobs = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs)
        return Failure(valueError(option.name, text, "is not a whole number from 1 to " + std::to_string(kMaxJobs)));
    arguments.jobs = jobs;
    return {};
}

Failure readQuantity(const Option& option, std::string_view text, Arguments& arguments) {
    return readValue(arguments.values, option.quantity, text, static_cast<std::size_t>(&option - options().data()),
                     [](std::size_t row) { return std::string(options()[row].name); });
}

Failure readColumnMapping(const Option& option, std::string_view text, Arguments& arguments) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return Failure(valueError(option.name, text, "is not QUANTITY=HEADER"));
    const std::string_view name = text.substr(0, equals);
    ColumnMapping mapping{std::nullopt, std::string(trimBlanks(text.substr(equals + 1)))};
    if (name != "method") {
        mapping.quantity = quantityFromName(name);
        if (!mapping.quantity)
            return Failure(valueError(option.name, name, "is no quantity: one of " + batchColumns()));
        if (!infoOf(*mapping.quantity).input)
            return Failure(valueError(option.name, name, "is a result, not an input"));
    }
    if (mapping.header.empty()) return Failure(valueError(option.name, text, "has no column header after '='"));
    for (const ColumnMapping& earlier : arguments.columnMappings)
        if (earlier.quantity == mapping.quantity) return Failure(valueError(option.name, name, "is mapped twice"));
    arguments.columnMappings.push_back(std::move(mapping));
    return {};
}

Failure readOutputs(const Option& option, std::string_view text, Arguments& arguments) {
    std::vector<Output> outputs;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view name = trimBlanks(text.substr(start, comma - start));
        const std::optional<Output> output = outputNamed(name);
        if (!output) return Failure(valueError(option.name, name, "is no result: one of " + outputNames()));
        for (const Output& earlier : outputs)
            if (earlier.kind == output->kind && earlier.quantity == output->quantity &&
                earlier.derived == output->derived)
                return Failure(valueError(option.name, name, "is named twice"));
        outputs.push_back(*output);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    arguments.style.outputs = std::move(outputs);
    arguments.outputsGiven = true;
    return {};
}

Failure readSource(const Option& option, std::string_view text, Arguments& arguments) {
    const std::optional<Quantity> quantity = quantityFromName(text);
    if (!quantity || !infoOf(*quantity).salinityRelated)
        return Failure(valueError(option.name, text, "is no salinity-related quantity: " + salinityNames()));
    arguments.source = quantity;
    return {};
}

// Values separated by commas, so each with a decimal point.
Failure readMissing(const Option& option, std::string_view text, Arguments& arguments) {
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view value = text.substr(start, comma - start);
        double number = 0;
        if (const char* reason = readDecimal(value, number))
            return Failure(valueError(option.name, value, whatIsWrong(value, reason)));
        arguments.missing.push_back(number);
        if (comma == text.size()) return {};
        start = comma + 1;
    }
}

// Flags as a file writes them: numbers, or single characters.
Failure readQualityFlags(const Option& option, std::string_view text, Arguments& arguments) {
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view flag = trimBlanks(text.substr(start, comma - start));
        if (flag.empty()) return Failure(valueError(option.name, text, "has an empty flag"));
        arguments.qualityFlags.emplace_back(flag);
        if (comma == text.size()) return {};
        start = comma + 1;
    }
}

Failure readOutputPath(const Option& option, std::string_view text, Arguments& arguments) {
    if (text.empty()) return Failure(valueError(option.name, text, "missing file name"));
    arguments.outputPath = text;
    return {};
}

Failure readBatch(const Option& option, std::string_view text, Arguments& arguments) {
    if (text.empty()) return Failure(valueError(option.name, text, "missing file name ('-' reads standard input)"));
    if (arguments.batch)
        return Failure(valueError(option.name, text, "follows the file " + quoted(arguments.batchPath)));
    arguments.batch = true;
    arguments.batchPath = text;
    return {};
}

template <bool Arguments::*flag>
Failure setFlag(const Option&, std::string_view, Arguments& arguments) {
    arguments.*flag = true;
    return {};
}

template <bool Style::*flag>
Failure setStyle(const Option&, std::string_view, Arguments& arguments) {
    arguments.style.*flag = true;
    return {};
}

// The options of the inputs, from the vocabulary: the salinity-related ones,
// of which a sample takes at most one, or the others.
void addQuantityOptions(std::vector<Option>& table, bool salinityRelated) {
    for (const QuantityInfo& info : kQuantities) {
        if (!info.input || info.salinityRelated != salinityRelated) continue;
        table.push_back({info.option, info.placeholder, info.description,
                         salinityRelated ? OptionGroup::SalinityInputs : OptionGroup::Inputs, readQuantity,
                         info.quantity, salinityRelated ? HelpExtra::Unit : HelpExtra::Default});
    }
}

std::vector<Option> makeOptions() {
    std::vector<Option> table = {{"--method", "METHOD", "", OptionGroup::Method, readMethod, {}, HelpExtra::Methods}};
    addQuantityOptions(table, false);
    addQuantityOptions(table, true);
    // clang-format off
    table.insert(table.end(), {
        {"--fahrenheit", nullptr, "temperatures given and shown in °F", OptionGroup::Output,
         setStyle<&Style::fahrenheit>},
        {"--format", "FORMAT", "", OptionGroup::Output, readFormat, {}, HelpExtra::Formats},
        {"--conductivity-unit", "UNIT", "given and shown", OptionGroup::Output, readConductivityUnit, {},
         HelpExtra::ConductivityUnits},
        {"--full", nullptr, "every number as the shortest text that reads back to the same value, instead of the "
         "usual decimals", OptionGroup::Output, setStyle<&Style::full>},
        {"--outputs", "NAME[,NAME...]", "the results to compute and show, in this order [method and the ten]: ",
         OptionGroup::Output, readOutputs, {}, HelpExtra::Outputs},
        {"--batch", "FILE", "convert every row of a CSV file ('-' reads standard input; a FILE named alone is "
         "the same): each row is written with its own cells, then the method, the ten quantities and the inputs "
         "clamped. The header line tells the dialect, which the output keeps: commas and decimal points, semicolons "
         "and decimal commas, or tabs. A unit may follow a column's name in brackets or parentheses: [dbar], "
         "(S m-1), (degF). Any column not read is carried as it is. A netCDF file (told by its content, or its name "
         "ending in .nc) is converted into a copy of itself, its variables read as columns are. Columns and "
         "variables read, in any case: ",
         OptionGroup::Batch, readBatch, {}, HelpExtra::Columns},
        {"--output", "FILE", "write the batch to FILE (-o FILE for short), under a temporary name beside it until "
         "it is whole [standard output]; a netCDF file's copy needs one", OptionGroup::Batch, readOutputPath, {},
         HelpExtra::None, false, "-o"},
        {"--column", "QUANTITY=HEADER", "read the column named HEADER as QUANTITY, one of the columns above; "
         "repeatable", OptionGroup::Batch, readColumnMapping, {}, HelpExtra::None, true},
        {"--source", "QUANTITY", "of several salinity-related columns, the one to convert from; the others are "
         "carried", OptionGroup::Batch, readSource},
        {"--missing", "VALUE[,VALUE...]", "cells holding one of these values are missing measurements, like empty "
         "cells or NaN, NA and N/A: the fill values of the file (-999, 99999); repeatable", OptionGroup::Batch,
         readMissing, {}, HelpExtra::None, true},
        {"--qc", "FLAG[,FLAG...]", "of a netCDF file whose variables declare quality flags (ancillary_variables "
         "naming a variable with flag_values), convert only the samples whose flags are among these; the others "
         "are left empty and counted", OptionGroup::Batch, readQualityFlags},
        {"--jobs", "N", "threads converting a batch [one per core]", OptionGroup::Batch, readJobs},
        {"--quiet", nullptr, "errors only: no notes on what was read or assumed, no clamped inputs, no summary",
         OptionGroup::Other, setFlag<&Arguments::quiet>},
        {"--help", nullptr, "show this help and exit", OptionGroup::Other, setFlag<&Arguments::help>, {},
         HelpExtra::None, false, "-h"},
        {"--version", nullptr, "show the versions of Thalwen and of the GSW library, and exit", OptionGroup::Other,
         setFlag<&Arguments::version>},
    });
    // clang-format on
    return table;
}

}  // namespace

const std::vector<Option>& options() {
    static const std::vector<Option> table = makeOptions();
    return table;
}

std::string methodChoices() {
    return choices(kMethods, [](const MethodInfo& method) { return method.name; });
}

std::string salinityNames() {
    std::vector<const char*> names;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) names.push_back(info.name);
    return choices(names, [](const char* name) { return name; });
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

Failure parseArguments(int argc, const char* const* argv, Arguments& arguments) {
    const std::vector<Option>& table = options();
    std::vector<bool> seen(table.size());
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
        for (const Option& row : table)
            if (name == row.name || (row.alias && name == row.alias)) option = &row;
        // A file named alone is a batch, as with --batch.
        if (!option && !arguments.batch && (argument == "-" || (!argument.empty() && argument[0] != '-'))) {
            arguments.batch = true;
            arguments.batchPath = argument;
            continue;
        }
        if (!option)
            return Failure(argument.substr(0, 2) == "--" ? "unknown option " + quoted(name)
                                                         : "unexpected argument " + quoted(argument));

        const std::size_t row = static_cast<std::size_t>(option - table.data());
        if (seen[row] && !option->repeatable) return Failure(std::string(option->name) + ": given more than once");
        seen[row] = true;
        if (!option->placeholder) {
            if (inlineValue) return Failure(std::string(option->name) + ": takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= argc) return Failure(std::string(option->name) + ": missing value");
            value = argv[++i];
        }
        if (Failure failure = option->read(*option, value, arguments)) return failure;
        if (arguments.help || arguments.version) return {};
    }

    if (!arguments.batch && !arguments.columnMappings.empty()) return Failure("--column: only with --batch");
    if (!arguments.batch && arguments.source) return Failure("--source: only with --batch");
    if (!arguments.batch && !arguments.missing.empty()) return Failure("--missing: only with --batch");
    if (!arguments.batch && !arguments.outputPath.empty()) return Failure("--output: only with --batch");
    if (!arguments.batch && !arguments.qualityFlags.empty()) return Failure("--qc: only with a netCDF file");
    if (arguments.batch && arguments.formatGiven && arguments.format != Format::Csv)
        return Failure("--format: a batch is written as CSV only");
    return {};
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

}  // namespace thalwen
