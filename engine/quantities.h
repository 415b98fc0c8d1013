// The quantities and the methods as every part of Thalwen knows them: names,
// units, the decimals a person is shown, and the range of each input under
// each method. The engine clamps to these ranges; the window and the command
// line name, read and show the quantities from here.
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
    const char* name;   // the Sample field: CSV column and JSON key
    const char* label;  // in English, as the command line shows it
    const char* unit;   // UTF-8, in degrees Celsius for the temperatures; "" when dimensionless
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
    {.quantity = Quantity::Pressure, .name = "pressure", .label = "Sea pressure", .unit = "dbar",
     .member = &Sample::pressure, .decimals = 2, .teos10 = {0, 10000}, .ies80 = {0, 10000}},
    {.quantity = Quantity::Longitude, .name = "longitude", .label = "Longitude", .unit = "°E",
     .member = &Sample::longitude, .decimals = 6, .teos10 = {-180, 180}, .ies80 = {-180, 180}, .teos10Only = true},
    {.quantity = Quantity::Latitude, .name = "latitude", .label = "Latitude", .unit = "°N",
     .member = &Sample::latitude, .decimals = 6, .teos10 = {-86, 90}, .ies80 = {-86, 90}, .teos10Only = true},
    {.quantity = Quantity::Temperature, .name = "temperature", .label = "Temperature", .unit = "°C",
     .member = &Sample::temperature, .decimals = 2, .teos10 = {-2, 35}, .ies80 = {-2, 35}, .temperature = true},
    {.quantity = Quantity::PracticalSalinity, .name = "practicalSalinity", .label = "Practical Salinity", .unit = "",
     .member = &Sample::practicalSalinity, .decimals = 5, .teos10 = {2, 42}, .ies80 = {0, 42}, .salinityRelated = true},
    {.quantity = Quantity::AbsoluteSalinity, .name = "absoluteSalinity", .label = "Absolute Salinity", .unit = "g/kg",
     .member = &Sample::absoluteSalinity, .decimals = 5, .teos10 = kAnyValue, .ies80 = kAnyValue,
     .input = false, .teos10Only = true},
    {.quantity = Quantity::Density, .name = "density", .label = "Density", .unit = "kg/m³",
     .member = &Sample::density, .decimals = 5, .teos10 = {1000, 1082.71524}, .ies80 = {1000, 1076.70763},
     .salinityRelated = true},
    {.quantity = Quantity::Conductivity, .name = "conductivity", .label = "Conductivity", .unit = "mS/cm",
     .member = &Sample::conductivity, .decimals = 5, .teos10 = {0.002, 90.90227}, .ies80 = {0.0005, 84.54096},
     .salinityRelated = true},
    {.quantity = Quantity::SpecificGravity, .name = "specificGravity", .label = "Specific gravity", .unit = "",
     .member = &Sample::specificGravity, .decimals = 5, .teos10 = {1, kUnbounded}, .ies80 = {1, kUnbounded},
     .salinityRelated = true},
    {.quantity = Quantity::ReferenceTemperature, .name = "referenceTemperature", .label = "Reference temperature",
     .unit = "°C", .member = &Sample::referenceTemperature, .decimals = 2, .teos10 = {0, 40}, .ies80 = {0, 40},
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

inline double& valueOf(Sample& sample, Quantity quantity) { return sample.*infoOf(quantity).member; }
inline double valueOf(const Sample& sample, Quantity quantity) { return sample.*infoOf(quantity).member; }

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
