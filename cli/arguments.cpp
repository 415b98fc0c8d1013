#include "arguments.h"

#include <string_view>

#include "fields.h"
#include "number_text.h"
#include "report.h"

namespace {

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

std::string readMethod(std::string_view text, Arguments& arguments) {
    auto method = methodFromName(text);
    if (!method) return "--method: unknown method " + quoted(text) + " (exact, polynomial or ies80)";
    arguments.method = *method;
    return "";
}

std::string readQuantity(int index, std::string_view text, Arguments& arguments) {
    const FieldInfo& f = kFields[index];
    double value = 0;
    if (const char* reason = readDecimal(text, value)) {
        if (trimBlanks(text).empty()) return std::string(f.option) + ": " + reason;
        return std::string(f.option) + ": " + quoted(text) + " is " + reason;
    }
    if (f.salinityRelated) {
        for (int other = 0; other < kFieldCount; ++other)
            if (other != index && kFields[other].salinityRelated && (arguments.givenMask & (1u << other)))
                return std::string(kFields[other].option) + " and " + f.option +
                       ": give at most one salinity-related input";
        value = asGivenValue(value);
    }
    field(arguments.given, index) = value;
    arguments.givenMask |= 1u << index;
    return "";
}

int quantityOption(std::string_view name) {
    for (int i = 0; i < kFieldCount; ++i)
        if (kFields[i].option && name == kFields[i].option) return i;
    return -1;
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
        if (seen.find(" " + key) != std::string::npos) return std::string(name) + ": given more than once";
        seen += key;

        if (name == "--fahrenheit" || name == "--full") {
            if (inlineValue) return std::string(name) + ": takes no value";
            (name == "--fahrenheit" ? arguments.style.fahrenheit : arguments.style.full) = true;
            continue;
        }
        int quantity = quantityOption(name);
        if (quantity < 0 && name != "--method" && name != "--format" && name != "--batch")
            return "unknown option " + quoted(name);
        if (!inlineValue) {
            if (i + 1 >= argc) return std::string(name) + ": missing value";
            value = argv[++i];
        }

        std::string error;
        if (quantity >= 0) {
            error = readQuantity(quantity, value, arguments);
        } else if (name == "--method") {
            error = readMethod(value, arguments);
        } else if (name == "--format") {
            error = readFormat(value, arguments);
        } else {
            if (value.empty()) return "--batch: missing file name ('-' reads standard input)";
            arguments.batch = true;
            arguments.batchPath = value;
        }
        if (!error.empty()) return error;
    }

    if (arguments.batch) {
        for (int i = 0; i < kFieldCount; ++i)
            if (kFields[i].salinityRelated && (arguments.givenMask & (1u << i)))
                return std::string(kFields[i].option) + ": not with --batch; give salinity-related inputs as columns";
        if (arguments.formatGiven && arguments.format != Format::Csv) return "--format: a batch is written as CSV only";
    }
    return "";
}

Sample requestedSample(const Arguments& arguments) {
    Sample sample = defaultSample(arguments.style.fahrenheit);
    for (int i = 0; i < kFieldCount; ++i)
        if (arguments.givenMask & (1u << i)) field(sample, i) = field(arguments.given, i);
    return sample;
}

std::string usageText() {
    return R"(Usage: thalwen-convert [options]
       thalwen-convert --batch FILE|- [options]

Converts the properties of a seawater sample: from the sea pressure, position,
temperature and one salinity-related quantity, derives the others and Absolute
Salinity by TEOS-10 or IES-80.

Method:
  --method exact|polynomial|ies80   TEOS-10 exact (default), TEOS-10 with the
                                    polynomial density, or IES-80
Inputs (defaults in brackets):
  --pressure DBAR                   sea pressure [0]
  --longitude DEG                   decimal degrees east [2.348785]
  --latitude DEG                    decimal degrees north [48.853402]
  --temperature T                   in-situ temperature [15 °C]
  --reference-temperature T         of the pure water SG refers to [20 °C]
At most one of (none: Practical Salinity 35):
  --salinity SP                     Practical Salinity
  --density RHO                     in-situ density, kg/m³
  --conductivity C                  mS/cm
  --specific-gravity SG             against pure water at the reference temperature
Output:
  --fahrenheit                      temperatures given and shown in °F
  --format text|csv|json            default text
  --full                            17 significant digits instead of the
                                    usual decimals
Batch:
  --batch FILE                      convert every row of a CSV file ('-' reads
                                    standard input) and write CSV. Columns:
                                    any of method, pressure, longitude, latitude,
                                    temperature, practicalSalinity,
                                    absoluteSalinity (ignored), density,
                                    conductivity, specificGravity,
                                    referenceTemperature. An empty cell takes the
                                    default (the options above) or, for the
                                    salinity-related columns, is absent.
  --help, --version

A comma is accepted as decimal point. Inputs outside their ranges are
clamped and reported. Exit status: 0 success, 1 some batch rows failed,
2 bad arguments or input.
)";
}

std::string versionText() { return std::string("thalwen-convert ") + THALWEN_VERSION + " (GSW " + GSW_VERSION + ")\n"; }
