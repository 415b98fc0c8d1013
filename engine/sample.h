// The record of one conversion and the in-band values that travel inside it.
#pragma once

#include <initializer_list>

namespace thalwen {

// Which equations a conversion uses. The numbers are the ones the form stores.
enum class Method : int {
    Teos10Polynomial = 1,  // TEOS-10, density from the library's polynomial gsw_rho
    Teos10Exact = 2,       // TEOS-10, density from the full Gibbs function
    Ies80 = 3,             // EOS-80 and PSS-78; no Absolute Salinity
};

// A quantity equal to this is absent (its field is empty).
constexpr double kNoValue = -999999.0;

// What the GSW library and our own inversions return when they find no result.
constexpr double GSW_INVALID_VALUE = 9e15;

// One sample: given quantities in, every derivable quantity out, filled in place.
struct Sample {
    double pressure;              // sea pressure [dbar]
    double longitude;             // [deg E]
    double latitude;              // [deg N]
    double temperature;           // in-situ [deg C]
    double practicalSalinity;     // Sp (PSS-78)
    double absoluteSalinity;      // SA [g/kg]
    double density;               // in-situ [kg/m^3]
    double conductivity;          // [mS/cm]
    double specificGravity;       // SG, against pure water at referenceTemperature
    double referenceTemperature;  // [deg C]
};

// The quantities of a Sample, in its order.
enum class Quantity {
    Pressure,
    Longitude,
    Latitude,
    Temperature,
    PracticalSalinity,
    AbsoluteSalinity,
    Density,
    Conductivity,
    SpecificGravity,
    ReferenceTemperature,
};
constexpr int kQuantityCount = 10;

// A set of the enumerators of Enum, whose values count from 0 and stay below 32.
template <typename Enum>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<Enum> members) {
        for (Enum member : members) add(member);
    }
    constexpr bool contains(Enum member) const { return (bits_ & bit(member)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void add(Enum member) { bits_ |= bit(member); }
    constexpr void remove(Enum member) { bits_ &= ~bit(member); }
    constexpr unsigned bits() const { return bits_; }  // bit i: the enumerator of value i
    friend constexpr bool operator==(EnumSet, EnumSet) = default;

private:
    static constexpr unsigned bit(Enum member) { return 1u << static_cast<int>(member); }
    unsigned bits_ = 0;
};

// A set of quantities, such as the inputs a conversion brought to a bound.
using QuantitySet = EnumSet<Quantity>;

// The Practical Salinity the engine takes when no salinity-related quantity is given.
constexpr double kDefaultSalinity = 35.0;

// The sample every conversion starts from: the surface in Paris at 15 deg C,
// specific gravity referred to 20 deg C, nothing salinity-related given (the
// engine then takes Practical Salinity 35).
constexpr Sample kDefaultSample = {0.0,      2.348785, 48.853402, 15.0,     kNoValue,
                                   kNoValue, kNoValue, kNoValue,  kNoValue, 20.0};

inline bool isPresent(double quantity) { return quantity != kNoValue; }

}  // namespace thalwen
