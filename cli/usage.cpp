#include "usage.h"

#include <optional>
#include <string_view>

#include "columns.h"
#include "exit_status.h"
#include "messages.h"
#include "number_text.h"
#include "options.h"
#include "user_conversion.h"
#include "version.h"

namespace thalwen {

namespace {

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
        if (option.quantity == Quantity::Conductivity)
            text += ", in the unit of --conductivity-unit";
        else if (*info.unit)
            (text += ", ") += info.unit;
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
    case HelpExtra::Outputs:
        text += "method, the ten quantities above";
        for (const DerivedInfo& derived : kDerivedQuantities)
            ((((text += ", ") += derived.name) += " (") += derived.description) += ')';
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

std::string usageText() {
    std::string out = R"(Usage: thalwen-convert [options]
       thalwen-convert [--batch] FILE|- [--output FILE] [options]
       thalwen-convert IN.nc --output OUT.nc [options]

Converts the properties of a seawater sample: from the sea pressure, position,
temperature and one salinity-related quantity, derives the others and Absolute
Salinity by TEOS-10 or IES-80.

)";
    std::optional<OptionGroup> group;
    for (const Option& option : options()) {
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
clamped and reported. IES-80 takes temperatures on the 1968 scale its
equations were written for (1.00024 times those of the 1990 scale).

A batch converts only what it is given: the temperature, the pressure, a
salinity-related input and, for TEOS-10, the position each come from a column
or an option, or the batch is refused. A quantity without a column takes the
option's value in every row. A cell that is empty, NaN, NA, N/A or one of the
--missing values is a missing measurement, reported, unless the option is
given: then it fills the cell. A value no sample can have (a pressure below a
vacuum, a negative salinity, a fill value such as -999 or 99999) gives that
row no results, reported. Names are read in any case, units by UDUNITS-2
(S m-1, decibar, degC, K...) and as the archives write them (mhos/m, db,
deg C, psu); the archives' CNDC is in S/m. Comment lines (# or //) before the
header are carried; a Latin-1 or UTF-16 file is read and written in UTF-8.
Standard error tells which columns are read, carried and assumed, then the
rows converted.

A netCDF file is converted into a copy of it (--output): every variable and
attribute as it was, the results added as variables (CF standard_name,
long_name, units, _FillValue, method, reference_temperature) over the
dimensions the variables read pair into, with a variable 'clamped' of flags;
history gains the command line. By default it gains Absolute Salinity, the
quantities derived on request and, from another salinity-related input,
Practical Salinity. Variables are found by standard_name, then by name; units
come from their units attributes; _FillValue, missing_value, valid_min,
valid_max and valid_range make gaps, as --missing does.

Exit status:
)";
    for (const ExitStatusInfo& status : kExitStatuses)
        ((((out += "  ") += std::to_string(status.status)) += "  ") += status.meaning) += '\n';
    out += R"(
Batch examples, one per dialect, and a profile archive's cast:
  printf 'p,t,rho\n5,10,1026.1\n' | thalwen-convert - --method ies80 --column pressure=p --column temperature=t
  printf 'PRES;TEMP;density\n5;10;1026,1\n' | thalwen-convert - --latitude 45 --longitude -30
  printf 'PRES\tTEMP\tPSAL\n5\t10\t35\n' | thalwen-convert - --latitude 45 --longitude -30
  thalwen-convert profile.csv --latitude -35.2 --longitude 151.3 --missing 99999 \
      --source conductivity
  thalwen-convert profiles.nc -o converted.nc --qc 1,2
)";
    return out;
}

std::string versionText() {
    return std::string("thalwen-convert ") + THALWEN_VERSION + " (GSW " + THALWEN_GSW_VERSION + ")\n";
}

}  // namespace thalwen
