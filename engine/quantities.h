// The quantities and the methods as every part of Thalwen knows them, its one
// vocabulary: names in each front end and in files, descriptions, units, the
// decimals a person is shown, and the range of each input under each method.
// The engine clamps to these ranges; the window, the command line and the
// Python module name, read and show the quantities from here alone.
#pragma once

#include <limits>
#include <optional>
#include <string_view>

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

struct QuantityInfo {
    Quantity quantity;
    const char* name;         // the Sample field: CSV column and JSON key
    const char* label;        // in English, capitalised, as the command line's table shows it
    const char* description;  // in English, as --help and Python's help say it
    const char* option;       // on the command line; nullptr for a result only
    const char* placeholder;  // the option's value, as --help shows it
    const char* keyword;      // in Python: the argument and the field of the result
    const char* unit;         // UTF-8, in degrees Celsius for the temperatures; "" when dimensionless
    double Sample::*member;
    int decimals;                  // shown in the window and by the command line
    Range teos10;                  // accepted by TEOS-10 exact and TEOS-10 48 term
    Range ies80;                   // accepted by IES-80
    bool input = true;             // the user can give it; Absolute Salinity is a result only
    bool salinityRelated = false;  // one of the four inputs that can be the source of the salinity
    bool temperature = false;      // given and shown in degrees Fahrenheit on request
    bool teos10Only = false;       // IES-80 has no use for it
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
     .member = &Sample::pressure, .decimals = 2, .teos10 = {0, 10000}, .ies80 = {0, 10000}},
    {.quantity = Quantity::Longitude, .name = "longitude", .label = "Longitude",
     .description = "decimal degrees east", .option = "--longitude", .placeholder = "DEG",
     .keyword = "longitude", .unit = "°E",
     .member = &Sample::longitude, .decimals = 6, .teos10 = {-180, 180}, .ies80 = {-180, 180}, .teos10Only = true},
    {.quantity = Quantity::Latitude, .name = "latitude", .label = "Latitude",
     .description = "decimal degrees north", .option = "--latitude", .placeholder = "DEG",
     .keyword = "latitude", .unit = "°N",
     .member = &Sample::latitude, .decimals = 6, .teos10 = {-86, 90}, .ies80 = {-86, 90}, .teos10Only = true},
    {.quantity = Quantity::Temperature, .name = "temperature", .label = "Temperature",
     .description = "in-situ temperature", .option = "--temperature", .placeholder = "T", .keyword = "temperature",
     .unit = "°C",
     .member = &Sample::temperature, .decimals = 2, .teos10 = {-2, 35}, .ies80 = {-2, 35}, .temperature = true},
    {.quantity = Quantity::PracticalSalinity, .name = "practicalSalinity", .label = "Practical Salinity",
     .description = "Practical Salinity (PSS-78)", .option = "--salinity", .placeholder = "SP", .keyword = "salinity",
     .unit = "",
     .member = &Sample::practicalSalinity, .decimals = 5, .teos10 = {2, 42}, .ies80 = {0, 42}, .salinityRelated = true},
    {.quantity = Quantity::AbsoluteSalinity, .name = "absoluteSalinity", .label = "Absolute Salinity",
     .description = "Absolute Salinity", .option = nullptr, .placeholder = nullptr, .keyword = "absolute_salinity",
     .unit = "g/kg",
     .member = &Sample::absoluteSalinity, .decimals = 5, .teos10 = kAnyValue, .ies80 = kAnyValue,
     .input = false, .teos10Only = true},
    {.quantity = Quantity::Density, .name = "density", .label = "Density", .description = "in-situ density",
     .option = "--density", .placeholder = "RHO", .keyword = "density", .unit = "kg/m³",
     .member = &Sample::density, .decimals = 5, .teos10 = {1000, 1082.71524}, .ies80 = {1000, 1076.70763},
     .salinityRelated = true},
    {.quantity = Quantity::Conductivity, .name = "conductivity", .label = "Conductivity",
     .description = "electrical conductivity", .option = "--conductivity", .placeholder = "C",
     .keyword = "conductivity", .unit = "mS/cm",
     .member = &Sample::conductivity, .decimals = 5, .teos10 = {0.002, 90.90227}, .ies80 = {0.0005, 84.54096},
     .salinityRelated = true},
    {.quantity = Quantity::SpecificGravity, .name = "specificGravity", .label = "Specific gravity",
     .description = "against pure water at the reference temperature",
     .option = "--specific-gravity", .placeholder = "SG", .keyword = "specific_gravity", .unit = "",
     .member = &Sample::specificGravity, .decimals = 5, .teos10 = {1, kUnbounded}, .ies80 = {1, kUnbounded},
     .salinityRelated = true},
    {.quantity = Quantity::ReferenceTemperature, .name = "referenceTemperature", .label = "Reference temperature",
     .description = "that specific gravity refers to",
     .option = "--reference-temperature", .placeholder = "T", .keyword = "reference_temperature", .unit = "°C",
     .member = &Sample::referenceTemperature, .decimals = 2, .teos10 = {0, 40}, .ies80 = {0, 40},
     .temperature = true},
};
// clang-format on

constexpr const QuantityInfo& infoOf(Quantity quantity) { return kQuantities[static_cast<int>(quantity)]; }

constexpr Range rangeOf(Quantity quantity, Method method) {
    return method == Method::Ies80 ? infoOf(quantity).ies80 : infoOf(quantity).teos10;
}

// Whether method has a use for quantity: IES-80 has none for the position and
// gives no Absolute Salinity.
constexpr bool usedBy(Quantity quantity, Method method) {
    return method != Method::Ies80 || !infoOf(quantity).teos10Only;
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

// Who names a column or variable so: our own names are the quantities' names above.
enum class Naming {
    ProfileArchive,  // the profile archives' short names
    CfStandardName,  // the CF conventions' standard names
    Common,          // words people write, too loose to be read unasked: only suggested
};

struct FileName {
    const char* text;
    Quantity quantity;
    Naming naming;
    bool read = true;  // read without --column; otherwise only suggested
};

// Latitude and longitude are our own names and CF's alike. The adjusted
// archive values and CF's salinity of no stated scale are the user's to
// choose: which of several columns, or which quantity.
// clang-format off
inline constexpr FileName kFileNames[] = {
    {"PRES", Quantity::Pressure, Naming::ProfileArchive},
    {"TEMP", Quantity::Temperature, Naming::ProfileArchive},
    {"PSAL", Quantity::PracticalSalinity, Naming::ProfileArchive},
    {"CNDC", Quantity::Conductivity, Naming::ProfileArchive},
    {"LATITUDE", Quantity::Latitude, Naming::ProfileArchive},
    {"LONGITUDE", Quantity::Longitude, Naming::ProfileArchive},
    {"sea_water_pressure", Quantity::Pressure, Naming::CfStandardName},
    {"sea_water_temperature", Quantity::Temperature, Naming::CfStandardName},
    {"sea_water_practical_salinity", Quantity::PracticalSalinity, Naming::CfStandardName},
    {"sea_water_electrical_conductivity", Quantity::Conductivity, Naming::CfStandardName},
    {"sea_water_density", Quantity::Density, Naming::CfStandardName},
    {"PRES_ADJUSTED", Quantity::Pressure, Naming::ProfileArchive, false},
    {"TEMP_ADJUSTED", Quantity::Temperature, Naming::ProfileArchive, false},
    {"PSAL_ADJUSTED", Quantity::PracticalSalinity, Naming::ProfileArchive, false},
    {"CNDC_ADJUSTED", Quantity::Conductivity, Naming::ProfileArchive, false},
    {"sea_water_salinity", Quantity::PracticalSalinity, Naming::CfStandardName, false},
    {"salinity", Quantity::PracticalSalinity, Naming::Common, false},
    {"sal", Quantity::PracticalSalinity, Naming::Common, false},
    {"temp", Quantity::Temperature, Naming::Common, false},
    {"cond", Quantity::Conductivity, Naming::Common, false},
    {"pres", Quantity::Pressure, Naming::Common, false},
    {"press", Quantity::Pressure, Naming::Common, false},
    {"lat", Quantity::Latitude, Naming::Common, false},
    {"lon", Quantity::Longitude, Naming::Common, false},
    {"long", Quantity::Longitude, Naming::Common, false},
    {"rho", Quantity::Density, Naming::Common, false},
    {"sg", Quantity::SpecificGravity, Naming::Common, false},
};
// clang-format on

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
    for (int i = 0; i < 3; ++i)
        if (static_cast<int>(kMethods[i].method) != i + 1) return false;
    return true;
}
static_assert(tablesInOrder());

}  // namespace thalwen
