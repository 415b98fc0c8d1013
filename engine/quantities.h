// The quantities and the methods as every part of Thalwen knows them, its one
// vocabulary: names in each front end and in files, descriptions, units, the
// decimals a person is shown, and the range of each input under each method.
// The engine clamps to these ranges; the window, the command line and the
// Python module name, read and show the quantities from here alone.
#pragma once

#include <limits>
#include <optional>
#include <string_view>

#include "derived_quantities.h"
#include "sample.h"

namespace thalwen {

// The values a method accepts for an input: one outside is brought to the
// bound it passes.
struct Range {
    double lowest;
    double highest;
};

constexpr double kUnbounded = std::numeric_limits<double>::infinity();
constexpr Range kAnyValue = {-kUnbounded, kUnbounded};

// The values a sample can have at all, in the engine's units, wider than any
// method's range: one outside is no measurement (a fill value, a unit
// mistaken) and gives no result, where one inside is clamped to the method's
// range. Each bound with the reason a person is told.
struct Band {
    double lowest;
    double highest;
    const char* below;  // why nothing is lower: "below a vacuum"
    const char* above;
};

constexpr Band kAnyBand = {-kUnbounded, kUnbounded, "", ""};

struct QuantityInfo {
    Quantity quantity;
    const char* name;          // the Sample field: CSV column and JSON key
    const char* label;         // in English, capitalised, as the command line's table shows it
    const char* description;   // in English, as --help and Python's help say it
    const char* option;        // on the command line; nullptr for a result only
    const char* placeholder;   // the option's value, as --help shows it
    const char* keyword;       // in Python: the argument and the field of the result
    const char* unit;          // UTF-8, in degrees Celsius for the temperatures; "" when dimensionless
    const char* engineUnit;    // the same, as UDUNITS-2 reads units and a netCDF result's units attribute says it
    const char* standardName;  // the CF standard name, which a netCDF result carries; nullptr where CF has none
    double Sample::*member;
    int decimals;                  // shown in the window and by the command line
    Range teos10;                  // accepted by TEOS-10 exact and TEOS-10 48 term
    Range ies80;                   // accepted by IES-80
    Band band;                     // what a sample can have at all
    bool input = true;             // the user can give it; Absolute Salinity is a result only
    bool salinityRelated = false;  // one of the four inputs that can be the source of the salinity
    bool temperature = false;      // given and shown in degrees Fahrenheit on request
    bool teos10Only = false;       // IES-80 has no use for it
    bool convention = false;       // a convention, not a measurement: its default serves where none is given
};

// In the order of Sample. Longitude is a position on a circle: whole turns,
// not its bounds, bring a finite one into its range. Latitude stops at -86 degrees,
// below which gsw_sa_from_sp gives no result. The highest density is that of
// the densest water the other bounds admit: IES-80 at Sp 42, -2 deg C and
// 10000 dbar. A specific gravity below 1 is raised to 1; the density it gives
// has the upper bound.
// clang-format off
inline constexpr QuantityInfo kQuantities[kQuantityCount] = {
    {.quantity = Quantity::Pressure, .name = "pressure", .label = "Sea pressure", .description = "sea pressure",
     .option = "--pressure", .placeholder = "DBAR", .keyword = "pressure", .unit = "dbar",
     .engineUnit = "dbar", .standardName = "sea_water_pressure",
     .member = &Sample::pressure, .decimals = 2, .teos10 = {0, 10000}, .ies80 = {0, 10000},
     .band = {-10.1325, 12000, "below a vacuum", "deeper than any ocean (about 11000 dbar at the deepest)"}},
    {.quantity = Quantity::Longitude, .name = "longitude", .label = "Longitude",
     .description = "decimal degrees east", .option = "--longitude", .placeholder = "DEG",
     .keyword = "longitude", .unit = "°E", .engineUnit = "degree_east", .standardName = "longitude",
     .member = &Sample::longitude, .decimals = 6, .teos10 = {-180, 180}, .ies80 = {-180, 180},
     .band = {-360, 360, "more than a turn west", "more than a turn east"}, .teos10Only = true},
    {.quantity = Quantity::Latitude, .name = "latitude", .label = "Latitude",
     .description = "decimal degrees north", .option = "--latitude", .placeholder = "DEG",
     .keyword = "latitude", .unit = "°N", .engineUnit = "degree_north", .standardName = "latitude",
     .member = &Sample::latitude, .decimals = 6, .teos10 = {-86, 90}, .ies80 = {-86, 90},
     .band = {-90, 90, "south of the South Pole", "north of the North Pole"}, .teos10Only = true},
    {.quantity = Quantity::Temperature, .name = "temperature", .label = "Temperature",
     .description = "in-situ temperature", .option = "--temperature", .placeholder = "T", .keyword = "temperature",
     .unit = "°C", .engineUnit = "degC", .standardName = "sea_water_temperature",
     .member = &Sample::temperature, .decimals = 2, .teos10 = {-2, 35}, .ies80 = {-2, 35},
     .band = {-60, 374, "colder than any brine of sea salt stays liquid",
              "hotter than liquid water can be at any pressure (374 °C)"},
     .temperature = true},
    {.quantity = Quantity::PracticalSalinity, .name = "practicalSalinity", .label = "Practical Salinity",
     .description = "Practical Salinity (PSS-78)", .option = "--salinity", .placeholder = "SP", .keyword = "salinity",
     .unit = "", .engineUnit = "1", .standardName = "sea_water_practical_salinity",
     .member = &Sample::practicalSalinity, .decimals = 5, .teos10 = {2, 42}, .ies80 = {0, 42},
     .band = {0, 400, "negative", "saltier than any brine (sea salt saturates near 350)"},
     .salinityRelated = true},
    {.quantity = Quantity::AbsoluteSalinity, .name = "absoluteSalinity", .label = "Absolute Salinity",
     .description = "Absolute Salinity", .option = nullptr, .placeholder = nullptr, .keyword = "absolute_salinity",
     .unit = "g/kg", .engineUnit = "g/kg", .standardName = "sea_water_absolute_salinity",
     .member = &Sample::absoluteSalinity, .decimals = 5, .teos10 = kAnyValue, .ies80 = kAnyValue,
     .band = kAnyBand, .input = false, .teos10Only = true},
    {.quantity = Quantity::Density, .name = "density", .label = "Density", .description = "in-situ density",
     .option = "--density", .placeholder = "RHO", .keyword = "density", .unit = "kg/m³",
     .engineUnit = "kg m-3", .standardName = "sea_water_density",
     .member = &Sample::density, .decimals = 5, .teos10 = {1000, 1082.71524}, .ies80 = {1000, 1076.70763},
     .band = {300, 1500, "lighter than liquid water can be (322 kg/m³ at the least)",
              "denser than any brine (about 1240 kg/m³ saturated)"},
     .salinityRelated = true},
    {.quantity = Quantity::Conductivity, .name = "conductivity", .label = "Conductivity",
     .description = "electrical conductivity", .option = "--conductivity", .placeholder = "C",
     .keyword = "conductivity", .unit = "mS/cm", .engineUnit = "mS/cm",
     .standardName = "sea_water_electrical_conductivity",
     .member = &Sample::conductivity, .decimals = 5, .teos10 = {0.002, 90.90227}, .ies80 = {0.0005, 84.54096},
     .band = {0, 500, "negative", "more than any brine conducts (about 250 mS/cm saturated)"},
     .salinityRelated = true},
    {.quantity = Quantity::SpecificGravity, .name = "specificGravity", .label = "Specific gravity",
     .description = "against pure water at the reference temperature",
     .option = "--specific-gravity", .placeholder = "SG", .keyword = "specific_gravity", .unit = "",
     .engineUnit = "1", .standardName = nullptr,
     .member = &Sample::specificGravity, .decimals = 5, .teos10 = {1, kUnbounded}, .ies80 = {1, kUnbounded},
     .band = {0.3, 1.5, "lighter than liquid water can be", "denser than any brine"},
     .salinityRelated = true},
    {.quantity = Quantity::ReferenceTemperature, .name = "referenceTemperature", .label = "Reference temperature",
     .description = "that specific gravity refers to",
     .option = "--reference-temperature", .placeholder = "T", .keyword = "reference_temperature", .unit = "°C",
     .engineUnit = "degC", .standardName = nullptr,
     .member = &Sample::referenceTemperature, .decimals = 2, .teos10 = {0, 40}, .ies80 = {0, 40},
     .band = {-60, 374, "colder than any brine of sea salt stays liquid",
              "hotter than liquid water can be at any pressure (374 °C)"},
     .temperature = true, .convention = true},
};
// clang-format on

constexpr const QuantityInfo& infoOf(Quantity quantity) { return kQuantities[static_cast<int>(quantity)]; }

constexpr Range rangeOf(Quantity quantity, Method method) {
    return method == Method::Ies80 ? infoOf(quantity).ies80 : infoOf(quantity).teos10;
}

// Why value, in the engine's unit, is no measurement of quantity; nullptr when
// a sample can have it. A value that is not a number is none either.
constexpr const char* outsideBand(Quantity quantity, double value) {
    const Band& band = infoOf(quantity).band;
    if (value < band.lowest) return band.below;
    if (value > band.highest) return band.above;
    return value == value ? nullptr : "not a number";
}

// Whether method has a use for quantity: IES-80 has none for the position and
// gives no Absolute Salinity.
constexpr bool usedBy(Quantity quantity, Method method) {
    return method != Method::Ies80 || !infoOf(quantity).teos10Only;
}

// Whether a conversion of many samples must be given quantity for method, by
// a column or an option: nothing is invented but a convention's value. (One
// of the salinity-related inputs must be given as well.)
constexpr bool mustBeGiven(Quantity quantity, Method method) {
    const QuantityInfo& info = infoOf(quantity);
    return info.input && !info.salinityRelated && !info.convention && usedBy(quantity, method);
}

// The quantity named name (its CSV column and JSON key), or none.
inline std::optional<Quantity> quantityFromName(std::string_view name) {
    for (const QuantityInfo& info : kQuantities)
        if (name == info.name) return info.quantity;
    return std::nullopt;
}

// The input whose Python keyword is keyword, or none.
inline std::optional<Quantity> inputFromKeyword(std::string_view keyword) {
    for (const QuantityInfo& info : kQuantities)
        if (info.input && keyword == info.keyword) return info.quantity;
    return std::nullopt;
}

inline double& valueOf(Sample& sample, Quantity quantity) { return sample.*infoOf(quantity).member; }
inline double valueOf(const Sample& sample, Quantity quantity) { return sample.*infoOf(quantity).member; }

// ---- Quantities derived on request ----------------------------------------------------------------

// The quantities derived from a converted sample (derived_quantities.h), as
// the command line and the Python module name and show them.
struct DerivedInfo {
    DerivedQuantity quantity;
    const char* name;          // CSV column and JSON key, as --outputs takes it
    const char* label;         // in English, capitalised, as the command line's table shows it
    const char* description;   // in English, as --help and Python's help say it
    const char* keyword;       // in Python: the name in outputs= and the field of the result
    const char* unit;          // UTF-8, in degrees Celsius for the temperatures
    const char* engineUnit;    // the same, as UDUNITS-2 and CF write units: "degC", "kg m-3"
    const char* standardName;  // the CF standard name, which a netCDF result carries; nullptr where CF has none
    int decimals;              // shown by the command line
    bool temperature = false;  // shown in degrees Fahrenheit on request
    bool teos10Only = false;   // IES-80 has none
};

// In the order of DerivedQuantity. A tenth of a millidegree and a centimetre
// per second, as CTD temperatures and sound speeds are given.
// clang-format off
inline constexpr DerivedInfo kDerivedQuantities[kDerivedQuantityCount] = {
    {DerivedQuantity::ConservativeTemperature, "conservativeTemperature", "Conservative Temperature",
     "Conservative Temperature, TEOS-10 only", "conservative_temperature", "°C", "degC",
     "sea_water_conservative_temperature", 4, true,
     true},
    {DerivedQuantity::PotentialTemperature, "potentialTemperature", "Potential temperature",
     "potential temperature referred to 0 dbar", "potential_temperature", "°C", "degC",
     "sea_water_potential_temperature", 4, true},
    {DerivedQuantity::Sigma0, "sigma0", "Potential density anomaly",
     "potential density anomaly: the density at 0 dbar of the water brought there adiabatically, minus 1000",
     "sigma0", "kg/m³", "kg m-3", "sea_water_sigma_theta", 5},
    {DerivedQuantity::SoundSpeed, "soundSpeed", "Sound speed", "speed of sound", "sound_speed",
     "m/s", "m s-1", "speed_of_sound_in_sea_water", 3},
    {DerivedQuantity::FreezingTemperature, "freezingTemperature", "Freezing temperature",
     "freezing temperature of the sample, air-saturated, at its pressure", "freezing_temperature", "°C",
     "degC", nullptr, 4, true},
};
// clang-format on

constexpr const DerivedInfo& infoOf(DerivedQuantity quantity) { return kDerivedQuantities[static_cast<int>(quantity)]; }

// ---- Results in netCDF files and xarray Datasets ---------------------------------------------------

// What a result written beside a file's variables says of itself, as the CF
// conventions name it: its standard name (nullptr where CF has none), a
// description, and its unit in the engine's units.
struct CfAttributes {
    const char* standardName;
    const char* longName;
    const char* units;
};

constexpr CfAttributes cfAttributesOf(Quantity quantity) {
    const QuantityInfo& info = infoOf(quantity);
    return {info.standardName, info.label, info.engineUnit};
}

constexpr CfAttributes cfAttributesOf(DerivedQuantity quantity) {
    const DerivedInfo& info = infoOf(quantity);
    return {info.standardName, info.label, info.engineUnit};
}

// The variable beside the results that says, for each sample, the inputs
// brought to the bounds of the method's ranges: a flag of one bit per input
// (QuantitySet's), named in flag_meanings by the input's name.
inline constexpr const char* kClampedName = "clamped";
inline constexpr const char* kClampedLongName = "inputs brought to the bounds of the method's ranges";

// ---- One salinity-related input --------------------------------------------------------------------

// A sample gives at most one of the salinity-related inputs, wherever it
// comes from: two would leave the source to a precedence the user never sees.
constexpr QuantitySet salinityInputs() {
    QuantitySet set;
    for (const QuantityInfo& info : kQuantities)
        if (info.salinityRelated) set.add(info.quantity);
    return set;
}
inline constexpr QuantitySet kSalinityInputs = salinityInputs();

// What every front end says when a second one is given.
inline constexpr const char* kOneSalinityInput = "give at most one salinity-related input";

// Whether quantities hold a salinity-related one.
constexpr bool anySalinityRelated(QuantitySet quantities) { return (quantities.bits() & kSalinityInputs.bits()) != 0; }

// Whether giving quantity besides those given breaks the rule of one.
constexpr bool isSecondSalinityInput(QuantitySet given, Quantity quantity) {
    return infoOf(quantity).salinityRelated && anySalinityRelated(given);
}

// ---- Names in files ---------------------------------------------------------------------------------

// Who names a column or variable so: our own names are the quantities' names
// above.
enum class Naming {
    ProfileArchive,  // the profile archives' short names
    CfStandardName,  // the CF conventions' standard names
    Common,          // words people write in spreadsheets and logger files
};

struct FileName {
    const char* text;  // matched in any case
    Quantity quantity;
    Naming naming;
    // The unit its naming implies when the file states none; nullptr: the
    // user's, as for our own names (--fahrenheit, --conductivity-unit).
    const char* unit = nullptr;
    bool adjusted = false;  // values corrected after the fact, preferred to the raw ones beside them
    bool read = true;       // read without --column; otherwise only suggested
};

// The archives and CF write conductivity in S/m and temperatures in degrees
// Celsius, whatever the user's own unit. Their names in another case ("Temp",
// "pres") are anybody's words, in the user's unit. CF's salinity of no stated scale is
// the user's to call Practical Salinity.
// clang-format off
inline constexpr FileName kFileNames[] = {
    {"PRES", Quantity::Pressure, Naming::ProfileArchive, "dbar"},
    {"TEMP", Quantity::Temperature, Naming::ProfileArchive, "degC"},
    {"PSAL", Quantity::PracticalSalinity, Naming::ProfileArchive},
    {"CNDC", Quantity::Conductivity, Naming::ProfileArchive, "S/m"},
    {"LATITUDE", Quantity::Latitude, Naming::ProfileArchive},
    {"LONGITUDE", Quantity::Longitude, Naming::ProfileArchive},
    {"PRES_ADJUSTED", Quantity::Pressure, Naming::ProfileArchive, "dbar", true},
    {"TEMP_ADJUSTED", Quantity::Temperature, Naming::ProfileArchive, "degC", true},
    {"PSAL_ADJUSTED", Quantity::PracticalSalinity, Naming::ProfileArchive, nullptr, true},
    {"CNDC_ADJUSTED", Quantity::Conductivity, Naming::ProfileArchive, "S/m", true},
    {"sea_water_pressure", Quantity::Pressure, Naming::CfStandardName, "dbar"},
    {"sea_water_temperature", Quantity::Temperature, Naming::CfStandardName, "degC"},
    {"sea_water_practical_salinity", Quantity::PracticalSalinity, Naming::CfStandardName},
    {"sea_water_electrical_conductivity", Quantity::Conductivity, Naming::CfStandardName, "S/m"},
    {"sea_water_density", Quantity::Density, Naming::CfStandardName},
    {"sea_water_salinity", Quantity::PracticalSalinity, Naming::CfStandardName, nullptr, false, false},
    {"latitude", Quantity::Latitude, Naming::CfStandardName},
    {"longitude", Quantity::Longitude, Naming::CfStandardName},
    {"press", Quantity::Pressure, Naming::Common},
    {"salinity", Quantity::PracticalSalinity, Naming::Common},
    {"sal", Quantity::PracticalSalinity, Naming::Common},
    {"cond", Quantity::Conductivity, Naming::Common},
    {"lat", Quantity::Latitude, Naming::Common},
    {"lon", Quantity::Longitude, Naming::Common},
    {"long", Quantity::Longitude, Naming::Common},
    {"rho", Quantity::Density, Naming::Common},
    {"specific gravity", Quantity::SpecificGravity, Naming::Common},
    {"sg", Quantity::SpecificGravity, Naming::Common},
};
// clang-format on

// A standard name read is the one a result of that quantity is written with.
constexpr bool standardNamesAgree() {
    for (const FileName& known : kFileNames)
        if (known.naming == Naming::CfStandardName && known.read &&
            std::string_view(known.text) != infoOf(known.quantity).standardName)
            return false;
    return true;
}
static_assert(standardNamesAgree());

// ---- Methods -------------------------------------------------------------------------------------------

struct MethodInfo {
    Method method;
    const char* name;   // on the command line and in CSV and JSON
    const char* label;  // in English: the window's button and the command line's table
};

inline constexpr MethodInfo kMethods[] = {
    {Method::Teos10Polynomial, "polynomial", "TEOS-10 48 term"},
    {Method::Teos10Exact, "exact", "TEOS-10 exact"},
    {Method::Ies80, "ies80", "IES-80"},
};

constexpr const MethodInfo& infoOf(Method method) { return kMethods[static_cast<int>(method) - 1]; }

inline std::optional<Method> methodFromName(std::string_view name) {
    for (const MethodInfo& method : kMethods)
        if (name == method.name) return method.method;
    return std::nullopt;
}

// infoOf finds a row by its position.
constexpr bool tablesInOrder() {
    for (int i = 0; i < kQuantityCount; ++i)
        if (static_cast<int>(kQuantities[i].quantity) != i) return false;
    for (int i = 0; i < kDerivedQuantityCount; ++i)
        if (static_cast<int>(kDerivedQuantities[i].quantity) != i) return false;
    for (int i = 0; i < 3; ++i)
        if (static_cast<int>(kMethods[i].method) != i + 1) return false;
    return true;
}
static_assert(tablesInOrder());

}  // namespace thalwen
